#include <gtest/gtest.h>

#include <cstdio>

#include "clock/receiver_delay_messages.h"
#include "fakes/fakes.h"
#include "settings/receiver_file.h"

namespace quorvane::testing {
namespace {

using std::chrono::milliseconds;

TEST(ReceiverDelaySamples, MedianSpreadAndRefusals) {
    auto repeat = [](std::initializer_list<std::pair<int, double>> runs) {
        std::vector<double> values;
        for (const auto& [count, value] : runs) {
            values.insert(values.end(), static_cast<std::size_t>(count), value);
        }
        return values;
    };
    std::vector<double> ramp;  // 140 to 160: median 150, deviations 0,1,1,...,10,10
    for (int ms = 140; ms <= 160; ++ms) {
        ramp.push_back(ms);
    }
    struct Case {
        const char* what;
        std::vector<double> samples;
        DelayOutcome outcome;
        int delayMs;
        double spreadMs;
    } cases[] = {
        {"steady", repeat({{30, 152}}), DelayOutcome::Accepted, 152, 0},
        {"ramp", ramp, DelayOutcome::Accepted, 150, 5},
        {"even count: mean of the middle two", repeat({{10, 100}, {10, 101}}),
         DelayOutcome::Accepted, 101, 0.5},
        {"a few wild bursts do not move it", repeat({{25, 200}, {5, 900}}), DelayOutcome::Accepted,
         200, 0},
        {"19 bursts", repeat({{19, 152}}), DelayOutcome::TooFewBursts, 0, 0},
        {"two camps 60 ms apart", repeat({{15, 100}, {15, 160}}), DelayOutcome::SpreadTooWide, 130,
         30},
        {"just under zero rounds to 0", repeat({{20, -0.4}}), DelayOutcome::Accepted, 0, 0},
        {"below zero", repeat({{20, -5}}), DelayOutcome::OutOfRange, -5, 0},
        {"the top", repeat({{20, 990.4}}), DelayOutcome::Accepted, 990, 0},
        {"above the top", repeat({{20, 991}}), DelayOutcome::OutOfRange, 991, 0},
    };
    for (const Case& c : cases) {
        const DelayVerdict verdict = judgeDelaySamples(c.samples);
        EXPECT_EQ(verdict.outcome, c.outcome) << c.what;
        EXPECT_EQ(verdict.delayMs, c.delayMs) << c.what;
        EXPECT_DOUBLE_EQ(verdict.spreadMs, c.spreadMs) << c.what;
        EXPECT_EQ(verdict.bursts, c.samples.size()) << c.what;
    }
    EXPECT_EQ(delayVerdictMessage({DelayOutcome::Accepted, 152, 1.3, 30}),
              "Receiver delay 152 ms (spread 1.3 ms, 30 bursts)");
}

TEST(ReceiverFile, ReaderRules) {
    auto line = [](const std::string& value) {
        return "<RECEIVER_DELAY_MS>" + value + "</RECEIVER_DELAY_MS>";
    };
    const std::string written = formatReceiverFile(152);
    EXPECT_NE(written.find("\r\n" + line("152") + "\r\n"), std::string::npos)
        << "on a line of its own";
    EXPECT_EQ(written.find('\n'), written.find("\r\n") + 1) << "CR LF lines";
    EXPECT_EQ(written.substr(written.size() - 2), "\r\n");

    struct Case {
        std::string bytes;
        std::optional<int> delay;
    } cases[] = {
        {written, 152},
        {formatReceiverFile(0), 0},
        {"", std::nullopt},
        {"<?xml version=\"1.0\"?>\r\n<OTHER>5</OTHER>\r\n", std::nullopt},
        {line("990"), 990},
        {line("0152"), 152},
        {line("991"), std::nullopt},
        {line("99999999999999999999"), std::nullopt},
        {line("-5"), std::nullopt},
        {line(" 15"), std::nullopt},
        {line("15.0"), std::nullopt},
        {line(""), std::nullopt},
        {"<receiver_delay_ms>15</receiver_delay_ms>", std::nullopt},
        {line("100") + "\r" + line("200"), 200},
        {line("100") + "\r\n" + line("x"), std::nullopt},
        {line("100") + "\n" + line("200"), 100},  // a lone LF ends no line
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readReceiverDelay(c.bytes), c.delay) << c.bytes;
    }
}

// An RMC naming the instant, without a checksum (absent counts as sound) or with a wrong one.
std::string rmcFor(const DateTime& t, bool corrupt) {
    char text[100];
    std::snprintf(text, sizeof text,
                  "$GPRMC,%02d%02d%02d.%02d,A,4807.0380,N,01131.0000,E,0.0,0.0,%02d%02d%02d,,,A%s",
                  t.hour, t.minute, t.second, t.millisecond / 10, t.day, t.month, t.year % 100,
                  corrupt ? "*00" : "");
    return text;
}

// A loaded window whose receiver sends a burst a second, against a fake clock.
struct Receiver {
    Receiver() {
        f.load();
        f.form.EarliestFixDate = DateTime{2020, 1, 1};
        f.clock.disciplineState = ClockDiscipline{true, false, true, 0};
        burst(150);
        f.form.TimeValid.setFillColor(LampGreen);
    }

    // The burst for the next whole second begins `delayMs` after it, by a computer clock that
    // is clockOffsetMs ahead of true time; its RMC, naming namedOffsetS seconds from that
    // second, is read 40 ms into the burst.
    void burst(int delayMs, int namedOffsetS = 0, bool corrupt = false) {
        second_ = addMilliseconds(second_, 1000);
        const std::int64_t begins = toEpochMilliseconds(second_) + delayMs + clockOffsetMs;
        f.clock.advance(milliseconds(begins - toEpochMilliseconds(f.clock.local)));
        const MonoTime start = f.clock.mono;
        f.clock.advance(milliseconds(40));
        f.serial.deliver(rmcFor(addMilliseconds(second_, namedOffsetS * 1000), corrupt) + "\r\n",
                         ArrivalStamps{start, start});
    }
    void bursts(int count, std::initializer_list<int> delays) {
        for (int i = 0; i < count; ++i) {
            burst(delays.begin()[i % delays.size()]);
        }
    }
    // Not measuring, nothing saved, no delay in use.
    void expectNothingChanged(const std::string& why) {
        EXPECT_FALSE(f.form.DelayMeasuring) << why;
        EXPECT_FALSE(f.desktop.progressUp) << why;
        EXPECT_EQ(f.files.writes, 0) << why;
        EXPECT_FALSE(f.form.ReceiverDelayMs) << why;
        EXPECT_FALSE(f.form.Menu_ReceiverDelay_Using.visible()) << why;
    }

    FormFixture f;
    DateTime second_{2026, 12, 7, 10, 15, 30, 0};
    std::int64_t clockOffsetMs = 0;
};

struct ReceiverDelayMeasuring : ::testing::Test, Receiver {};

TEST_F(ReceiverDelayMeasuring, MeasuresThirtyBurstsSavesAndUsesTheMedian) {
    f.form.Menu_ReceiverDelay_Measure.click();
    EXPECT_TRUE(f.desktop.questions.empty()) << "the kernel vouches for the clock";
    EXPECT_TRUE(f.desktop.progressUp);
    bursts(12, {150, 151, 152, 153, 154});
    EXPECT_EQ(f.desktop.progressStep, 12);
    EXPECT_EQ(f.desktop.progressText, "Measuring the receiver delay: burst 12 of 30");
    f.form.Timer1_Timer();  // the heartbeat goes on
    bursts(18, {152, 153, 154, 150, 151});

    ASSERT_EQ(f.desktop.notices.size(), 1u);
    EXPECT_EQ(f.desktop.notices[0].text, "Receiver delay 152 ms (spread 1.0 ms, 30 bursts)");
    EXPECT_TRUE(f.desktop.messages.empty()) << "no modal box";
    EXPECT_FALSE(f.desktop.progressUp);
    EXPECT_EQ(f.files.files.at(joinPath(f.files.folder, "QuorvaneReceiver.XML")),
              formatReceiverFile(152));
    EXPECT_EQ(f.files.writes, 1) << "the settings file is not written";
    EXPECT_EQ(f.form.ReceiverDelayMs, 152);
    EXPECT_EQ(f.form.Menu_ReceiverDelay_Using.caption(), "Using 152 ms");
    EXPECT_TRUE(f.form.Menu_ReceiverDelay_Using.visible());
    EXPECT_FALSE(f.form.Menu_ReceiverDelay_Using.enabled()) << "a line that states the value";
    EXPECT_FALSE(f.form.Menu_ReceiverDelay_Using.checked());

    // SET TIME: fix + time since the burst began (40 ms) + the receiver delay.
    f.form.SetComputerClock_Click();
    ASSERT_EQ(f.clock.setCalls.size(), 1u);
    EXPECT_EQ(f.clock.setCalls[0], addMilliseconds(second_, 40 + 152));
    ASSERT_FALSE(f.log.lines.empty());
    const std::string logged = f.log.lines.back();
    EXPECT_EQ(logged.substr(logged.size() - 23), ", receiver delay 152 ms") << logged;
}

TEST_F(ReceiverDelayMeasuring, AMeasurementThatCannotBeSavedSaysSoFirst) {
    f.files.writeFails = 61;
    f.form.Menu_ReceiverDelay_Measure.click();
    bursts(30, {152});
    ASSERT_EQ(f.desktop.notices.size(), 1u);
    EXPECT_EQ(f.desktop.notices[0].text,
              delaySaveFailedMessage(61, joinPath(f.files.folder, "QuorvaneReceiver.XML"), {}) +
                  "\n\nThe measurement gave 152 ms (spread 0.0 ms, 30 bursts).");
}

TEST(ReceiverDelayRefusals, SaySoAndChangeNothing) {
    struct Case {
        const char* what;
        std::function<void(Receiver&)> run;
        std::string told;
        bool modal;  // refused at the click, before measuring
    } cases[] = {
        {"fix lamp red",
         [](Receiver& t) {
             t.f.form.TimeValid.setFillColor(LampRed);
             t.f.form.Menu_ReceiverDelay_Measure.click();
         },
         delayNoValidFixMessage(), true},
        {"newest fix failed its checksum",
         [](Receiver& t) {
             t.burst(150, 0, true);
             t.f.form.Menu_ReceiverDelay_Measure.click();
         },
         delayChecksumFailedMessage(), true},
        {"the fix went back a second",
         [](Receiver& t) {
             t.f.form.Menu_ReceiverDelay_Measure.click();
             t.bursts(5, {150});
             t.burst(150, -1);
         },
         delayNotAdvancingMessage(), false},
        {"receiver fell silent after 10 bursts",
         [](Receiver& t) {
             t.f.form.Menu_ReceiverDelay_Measure.click();
             t.bursts(10, {150});
             t.f.clock.advance(milliseconds(29'000));
             t.f.form.Timer1_Timer();
             EXPECT_TRUE(t.f.form.DelayMeasuring) << "40 s are not up yet";
             t.f.clock.advance(milliseconds(2'000));
             t.f.form.Timer1_Timer();
         },
         delayVerdictMessage({DelayOutcome::TooFewBursts, 0, 0, 10}), false},
        {"spread over 20 ms",
         [](Receiver& t) {
             t.f.form.Menu_ReceiverDelay_Measure.click();
             t.bursts(30, {100, 160});
         },
         delayVerdictMessage({DelayOutcome::SpreadTooWide, 130, 30, 30}), false},
        {"computer clock a second ahead",
         [](Receiver& t) {
             t.clockOffsetMs = 1000;
             t.f.form.Menu_ReceiverDelay_Measure.click();
             t.bursts(30, {150});
         },
         delayVerdictMessage({DelayOutcome::OutOfRange, 1150, 0, 30}), false},
    };
    for (const Case& c : cases) {
        Receiver t;
        c.run(t);
        const auto& told = c.modal ? t.f.desktop.messages : t.f.desktop.notices;
        ASSERT_EQ(told.size(), 1u) << c.what;
        EXPECT_EQ(told[0].text, c.told) << c.what;
        EXPECT_EQ(t.f.desktop.messages.size() + t.f.desktop.notices.size(), 1u) << c.what;
        t.expectNothingChanged(c.what);
    }
}

TEST(ReceiverDelayQuestion, AskedUnlessTheKernelVouchesForTheClock) {
    struct Case {
        ClockDiscipline discipline;
        bool answer;
        std::string question;  // "" for none
        bool measuring;
    } cases[] = {
        {{true, true, false, 0}, false, delayUnsyncedClockQuestion(), false},
        {{true, true, false, 0}, true, delayUnsyncedClockQuestion(), true},
        {{false, true, false, 0}, true, delayNetworkClockQuestion(), true},
        {{false, true, false, 0}, false, delayNetworkClockQuestion(), false},
        {{true, false, true, 0}, false, "", true},
    };
    for (const Case& c : cases) {
        Receiver t;
        t.f.clock.disciplineState = c.discipline;
        t.f.desktop.okCancelAnswers = {c.answer};
        t.f.form.Menu_ReceiverDelay_Measure.click();
        EXPECT_EQ(t.f.desktop.questions.empty() ? "" : t.f.desktop.questions[0].text, c.question);
        EXPECT_EQ(t.f.desktop.progressUp, c.measuring) << c.question;
        EXPECT_EQ(t.f.form.DelayMeasuring.has_value(), c.measuring) << c.question;
    }
}

TEST_F(ReceiverDelayMeasuring, CancelEndsItWithoutChangingAnything) {
    f.form.Menu_ReceiverDelay_Measure.click();
    bursts(5, {150});
    f.form.Menu_ReceiverDelay_Measure.click();  // a second click while measuring starts nothing
    EXPECT_EQ(f.desktop.progressStep, 5);
    f.desktop.cancelProgress();
    bursts(30, {150});
    f.form.Timer1_Timer();
    EXPECT_TRUE(f.desktop.notices.empty());
    expectNothingChanged("cancelled");
}

TEST(ReceiverDelayMenu, StartUpUseZeroEnterAndAFailedSave) {
    FormFixture f;
    const std::string path = joinPath(f.files.folder, "QuorvaneReceiver.XML");
    f.files.files[path] = "\r\n<RECEIVER_DELAY_MS>75</RECEIVER_DELAY_MS>\r\n";
    f.load();
    EXPECT_EQ(f.form.ReceiverDelayMs, 75);
    EXPECT_EQ(f.form.Menu_ReceiverDelay_Using.caption(), "Using 75 ms");
    EXPECT_TRUE(f.form.Menu_ReceiverDelay_Using.visible());

    f.form.Menu_ReceiverDelay_Zero.click();
    EXPECT_EQ(f.files.files.at(path), formatReceiverFile(0));
    EXPECT_EQ(f.form.Menu_ReceiverDelay_Using.caption(), "Using 0 ms");

    f.desktop.numberAnswers = {std::nullopt, 300};
    f.form.Menu_ReceiverDelay_Enter.click();  // cancelled
    EXPECT_EQ(f.form.ReceiverDelayMs, 0);
    f.form.Menu_ReceiverDelay_Enter.click();
    EXPECT_EQ(f.form.ReceiverDelayMs, 300);
    EXPECT_EQ(f.desktop.questions[0].text, "Receiver delay in milliseconds (0 to 990):");

    // A full disk: the user is told, the file and the delay in use stay as they were.
    f.files.writeFails = 61;
    f.desktop.numberAnswers = {400};
    f.form.Menu_ReceiverDelay_Enter.click();
    EXPECT_EQ(f.form.ReceiverDelayMs, 300);
    ASSERT_EQ(f.desktop.messages.size(), 1u);
    EXPECT_EQ(f.desktop.messages[0].text, delaySaveFailedMessage(61, path, 300));
    EXPECT_NE(f.desktop.messages[0].text.find("Disk full"), std::string::npos);

    // A file gone bad means no delay, silently.
    f.files.files[path] = "<RECEIVER_DELAY_MS>fast</RECEIVER_DELAY_MS>";
    f.form.LoadReceiverDelay();
    EXPECT_FALSE(f.form.ReceiverDelayMs);
    EXPECT_FALSE(f.form.Menu_ReceiverDelay_Using.visible());
    EXPECT_EQ(f.files.files.count(f.settingsPath()), 0u) << "the settings file is not touched";
}

}  // namespace
}  // namespace quorvane::testing
