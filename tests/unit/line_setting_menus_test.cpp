#include <gtest/gtest.h>

#include "settings_probe.h"

namespace quorvane::testing {
namespace {

struct Choice {
    MenuItem Form1::*item;
    void (Form1::*handler)();
    const char* caption;
    MenuItem Form1::*group;
    std::string Form1::*field;
    const char* tag;
};

// Every item with its named handler, written out from the shared item table.
std::vector<Choice> allChoices() {
    std::vector<Choice> choices;
    MenuItem Form1::*group = nullptr;
    std::string Form1::*field = nullptr;
    const char* tag = nullptr;
    const auto in = [&](MenuItem Form1::*g, std::string Form1::*f, const char* t) {
        group = g, field = f, tag = t;
    };
#define QUORVANE_ITEM(item, caption, checked) \
    choices.push_back(Choice{&Form1::item, &Form1::item##_Click, caption, group, field, tag});
    in(&Form1::Menu_Baud, &Form1::GpsPortSpeed, "GPS_PORT_SPEED");
    QUORVANE_BAUD_ITEMS(QUORVANE_ITEM)
    in(&Form1::Menu_Parity, &Form1::GpsPortParity, "GPS_PORT_PARITY");
    QUORVANE_PARITY_ITEMS(QUORVANE_ITEM)
    in(&Form1::Menu_Flow, &Form1::GpsPortFlowControl, "GPS_PORT_FLOW_CONTROL");
    QUORVANE_FLOW_ITEMS(QUORVANE_ITEM)
    in(&Form1::Menu_DataBits, &Form1::GpsPortDataLength, "GPS_PORT_DATA_LENGTH");
    QUORVANE_DATABITS_ITEMS(QUORVANE_ITEM)
    in(&Form1::Menu_Stop, &Form1::GpsPortStopBits, "GPS_PORT_STOP_BITS");
    QUORVANE_STOP_ITEMS(QUORVANE_ITEM)
#undef QUORVANE_ITEM
    return choices;
}

TEST(LineSettingMenus, EveryHandlerMovesItsGroupsMarkStoresItsCaptionAndRestarts) {
    const std::vector<Choice> choices = allChoices();
    ASSERT_EQ(choices.size(), 30u);
    for (const bool byClick : {false, true}) {
        FormFixture f;
        f.load("<GPS_PORT_NAME>Com2</GPS_PORT_NAME>\r\n");
        for (const Choice& choice : choices) {
            SCOPED_TRACE(std::string(choice.caption) + (byClick ? " clicked" : " called"));
            const int opens = f.serial.opens;
            byClick ? (f.form.*choice.item).click() : (f.form.*choice.handler)();
            EXPECT_EQ(checkedIn(f.form.*choice.group), choice.caption);
            EXPECT_EQ(f.form.*choice.field, choice.caption);
            EXPECT_EQ(storedValue(f, choice.tag), choice.caption);
            EXPECT_EQ(f.serial.opens, opens + 1);
        }
        EXPECT_EQ(checkedIn(f.form.Menu_Baud), "256000");  // each group keeps its last choice
        EXPECT_EQ(checkedIn(f.form.Menu_Flow), "Xon/Xoff");
        EXPECT_EQ(f.serial.flowControl, 4);
    }
}

TEST(LineSettingMenus, WithNoPortChosenTheSettingIsSavedButNothingOpens) {
    FormFixture f;
    f.load("<GPS_PORT_NAME>None/Reset</GPS_PORT_NAME>\r\n");
    f.form.Menu_DataBits_7_Click();
    EXPECT_EQ(storedValue(f, "GPS_PORT_DATA_LENGTH"), "7");
    EXPECT_TRUE(f.serial.calls.empty());
}

}  // namespace
}  // namespace quorvane::testing
