// Received bytes to the window: the line splitter, MSPort1_OnRead and DecodeSentence on a window
// wired to fakes, with the one-second status timer ticking in between.
//
// The input is a plan followed by the stream. The first byte's low four bits give the number
// of plan bytes (one to sixteen); the plan is used in turn, one byte per chunk of the stream:
//   bits 0-4  chunk length, 1 + n * n / 2 (1 to 481 bytes)
//   bit 5     the chunk waits for the next event pump, as bytes that arrive while a handler runs
//   bits 6-7  status-timer ticks after the chunk, each one second later; with none, the next
//             chunk arrives 2n milliseconds later (either side of the splitter's quiet gap)
// A raw capture is a valid input too: its first bytes serve as the plan.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fakes/fakes.h"
#include "platform/line_splitter.h"

namespace {

using namespace quorvane;
using namespace quorvane::testing;

// The settings a user of a receiver has: Com1 at 4800 8N1, no start-up delay, and the clock set
// once after start-up, so the setting path is reachable within a few ticks.
const char kSettings[] =
    "<GPS_PORT_NAME>Com1</GPS_PORT_NAME>\r\n"
    "<GPS_PORT_SPEED>4800</GPS_PORT_SPEED>\r\n"
    "<GPS_PORT_PARITY>None</GPS_PORT_PARITY>\r\n"
    "<GPS_PORT_DATA_LENGTH>8</GPS_PORT_DATA_LENGTH>\r\n"
    "<GPS_PORT_FLOW_CONTROL>None</GPS_PORT_FLOW_CONTROL>\r\n"
    "<GPS_PORT_STOP_BITS>1</GPS_PORT_STOP_BITS>\r\n"
    "<STARTUP_MODE_TIME_SYNC>True</STARTUP_MODE_TIME_SYNC>\r\n"
    "<STARTUP_DELAY>False</STARTUP_DELAY>\r\n";

[[noreturn]] void broken(const char* what) {
    // A message libFuzzer shows beside the input that broke the rule.
    std::fprintf(stderr, "receive_fuzzer: %s\n", what);
    std::abort();
}

void check(bool holds, const char* what) {
    if (!holds) {
        broken(what);
    }
}

class Harness {
public:
    Harness() {
        fixture_.serial.ports = {1};
        // The daily update falls at 10:16, half a minute after the fake clock's 10:15:30.
        fixture_.random.values = {10.5f / 24, 16.5f / 59};
        fixture_.files.files[fixture_.settingsPath()] = kSettings;
        fixture_.form.Form_Load();
        check(fixture_.desktop.messages.empty(), "the settings did not load");
    }

    void arrive(std::string_view chunk, bool atNextPump) {
        if (atNextPump || !fixture_.desktop.queued.empty()) {
            // Behind anything already waiting, so the stream stays in order.
            fixture_.desktop.queued.push_back(
                [this, bytes = std::string(chunk), at = fixture_.clock.mono] { feed(bytes, at); });
        } else {
            feed(chunk, fixture_.clock.mono);
        }
    }

    void pause(std::chrono::milliseconds gap) { fixture_.clock.advance(gap); }

    void tick() {
        fixture_.clock.advance(std::chrono::seconds(1));
        const std::size_t linesBefore = linesFed_;
        fixture_.form.Timer1_Timer();
        // Lines the tick's own event pumps let in lower the counters after it clamped them;
        // the next tick clamps them again.
        checkWindow(linesFed_ == linesBefore);
    }

    void finish() {
        fixture_.desktop.pumpEvents();
        // Long enough for every lamp to go red again.
        for (int i = 0; i < 11; ++i) {
            tick();
        }
        check(fixture_.form.GPS_CommOK.fillColor() == LampRed, "reception still shown after 11 s");
        check(fixture_.form.TimeValid.fillColor() == LampRed, "a fix still valid after 11 s");
        // Nothing is lost or made up: what was delivered is the stream, less at most one
        // unfinished line.
        check(stream_.compare(0, delivered_.size(), delivered_) == 0,
              "the delivered lines are not the stream");
        const std::string_view rest = std::string_view(stream_).substr(delivered_.size());
        check(rest.size() < LineSplitter::kMaxLine && rest.find('\r') == std::string_view::npos,
              "a whole line was held back");
        for (const DateTime& set : fixture_.clock.setCalls) {
            check(isValid(set), "the clock was set to an impossible date or time");
            check(toEpochMilliseconds(set) >= toEpochMilliseconds(fixture_.form.EarliestFixDate),
                  "the clock was set to a date before the build");
        }
    }

private:
    void feed(std::string_view bytes, MonoTime at) {
        stream_ += bytes;
        for (const ReceivedLine& line : splitter_.feed(bytes, at)) {
            check(!line.text.empty() && line.text.size() <= LineSplitter::kMaxLine,
                  "a line of no bytes or over the bound");
            check(line.text.find('\r') >= line.text.size() - 1,
                  "a terminator inside a delivered line");
            check(line.text.back() == '\r' || line.text.size() == LineSplitter::kMaxLine,
                  "an unterminated line below the bound");
            check(line.stamps.burstStart <= line.stamps.firstByte && line.stamps.firstByte <= at &&
                      line.stamps.firstByte - line.stamps.burstStart <= LineSplitter::kBurstHorizon,
                  "arrival stamps out of order");
            delivered_ += line.text;
            ++linesFed_;
            fixture_.serial.deliver(line.text, line.stamps);
            const Form1& form = fixture_.form;
            check(form.RxLine.find_first_of("\r\n") == std::string::npos,
                  "CR or LF left in the received line");
            check(form.SentenceHistory[0] == form.RxLine, "the newest line is not first");
        }
    }

    // What every tick leaves, whatever arrived.
    void checkWindow(bool clampedLast) {
        const Form1& form = fixture_.form;
        check(form.RxStaleCount <= 10 && form.FixStaleCount <= 10, "a count above 10");
        check(!clampedLast || (form.RxStaleCount >= 0 && form.FixStaleCount >= 0),
              "a count below 0 after the tick clamped it");
        for (const Lamp* lamp : {&form.GPS_CommOK, &form.TimeValid}) {
            check(lamp->fillColor() == LampGreen || lamp->fillColor() == LampRed,
                  "a lamp neither green nor red");
        }
        check(form.SetComputerClock.enabled() == (form.TimeValid.fillColor() == LampGreen),
              "SET TIME enabled without a valid fix, or disabled with one");
    }

    FormFixture fixture_;
    LineSplitter splitter_{'\r'};
    std::string stream_;
    std::string delivered_;
    std::size_t linesFed_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::size_t planSize = std::min<std::size_t>((data[0] & 0x0F) + 1, size - 1);
    const std::uint8_t* plan = data + 1;
    const std::string_view stream(reinterpret_cast<const char*>(data + 1 + planSize),
                                  size - 1 - planSize);

    Harness harness;
    std::size_t step = 0;
    for (std::size_t pos = 0; pos < stream.size(); ++step) {
        const unsigned control = plan[step % planSize];
        const unsigned n = control & 0x1F;
        const std::size_t length = std::min<std::size_t>(1 + n * n / 2, stream.size() - pos);
        harness.arrive(stream.substr(pos, length), (control & 0x20) != 0);
        pos += length;
        const unsigned ticks = control >> 6;
        if (ticks == 0) {
            harness.pause(std::chrono::milliseconds(n * 2));
        }
        for (unsigned t = 0; t < ticks; ++t) {
            harness.tick();
        }
    }
    harness.finish();
    return 0;
}
