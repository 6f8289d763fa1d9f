#include "decoder_fixture.h"

namespace quorvane::testing {
namespace {

using ReceivePath = Decoder;

TEST_F(ReceivePath, EveryCrAndLfIsRemovedAndEveryDeliveryIsDecoded) {
    const std::vector<std::pair<std::string, std::string>> deliveries = {
        {"$PGRMZ,1789,f,3*2C\r\n", "$PGRMZ,1789,f,3*2C"},
        {"\n$PGRMZ,1789,f,3*2C\r", "$PGRMZ,1789,f,3*2C"},
        {"$PGR\rMZ,17\n89,f,3*2C", "$PGRMZ,1789,f,3*2C"},
        {"", ""},
        {"\r\n\n\r", ""},
    };
    int count = form.RxStaleCount;
    for (const auto& [value, line] : deliveries) {
        f.serial.deliver(value);
        EXPECT_EQ(form.RxLine, line);
        EXPECT_EQ(form.SentenceHistory[0], line);
        EXPECT_EQ(form.RxStaleCount, --count);
    }
    EXPECT_EQ(form.FixStaleCount, 7);  // the three $PGRMZ lines were decoded
}

TEST_F(ReceivePath, NullDeliveryAndDeliveriesAfterTheEndChangeNothing) {
    const ArrivalStamps stamps{f.clock.mono, f.clock.mono + std::chrono::milliseconds(3)};
    f.serial.deliver("$GPGSA,A,3\r", stamps);
    EXPECT_EQ(form.RxStamps.firstByte, stamps.firstByte);
    f.serial.deliver(std::nullopt, ArrivalStamps{});
    form.ProgramEnded = true;
    f.receive("$PGRMZ,1789,f,3*2C");
    EXPECT_EQ(form.RxLine, "$GPGSA,A,3");
    EXPECT_EQ(form.RxStamps.burstStart, stamps.burstStart);
    EXPECT_EQ(form.RxStaleCount, 9);
    EXPECT_EQ(form.SentenceHistory[1], "");
}

}  // namespace
}  // namespace quorvane::testing
