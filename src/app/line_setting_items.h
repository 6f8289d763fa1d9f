#pragma once

// The thirty items of the line-setting menus, in menu order: X(item, caption, initially checked).
// The window declares one MenuItem and one click handler per entry; the handlers share one body.

#define QUORVANE_BAUD_ITEMS(X)           \
    X(Menu_Baud_110, "110", false)       \
    X(Menu_Baud_300, "300", false)       \
    X(Menu_Baud_600, "600", false)       \
    X(Menu_Baud_1200, "1200", false)     \
    X(Menu_Baud_2400, "2400", false)     \
    X(Menu_Baud_4800, "4800", true)      \
    X(Menu_Baud_9600, "9600", false)     \
    X(Menu_Baud_14400, "14400", false)   \
    X(Menu_Baud_19200, "19200", false)   \
    X(Menu_Baud_28800, "28800", false)   \
    X(Menu_Baud_38400, "38400", false)   \
    X(Menu_Baud_56000, "56000", false)   \
    X(Menu_Baud_57600, "57600", false)   \
    X(Menu_Baud_115200, "115200", false) \
    X(Menu_Baud_128000, "128000", false) \
    X(Menu_Baud_256000, "256000", false)

#define QUORVANE_PARITY_ITEMS(X)       \
    X(Menu_Parity_None, "None", true)  \
    X(Menu_Parity_odd, "Odd", false)   \
    X(Menu_Parity_Even, "Even", false) \
    X(Menu_Parity_Mark, "Mark", false) \
    X(Menu_Parity_Space, "Space", false)

#define QUORVANE_FLOW_ITEMS(X)             \
    X(Menu_Flow_None, "None", true)        \
    X(Menu_Flow_RTS_CTS, "RTS/CTS", false) \
    X(Menu_Flow_DSR_DTR, "DSR/DTR", false) \
    X(Menu_Flow_XonXoff, "Xon/Xoff", false)

#define QUORVANE_DATABITS_ITEMS(X) \
    X(Menu_DataBits_7, "7", false) \
    X(Menu_DataBits_8, "8", true)

#define QUORVANE_STOP_ITEMS(X)    \
    X(Menu_Stop_1, "1", true)     \
    X(Menu_Stop_15, "1.5", false) \
    X(Menu_Stop_2, "2", false)

#define QUORVANE_LINE_SETTING_ITEMS(X) \
    QUORVANE_BAUD_ITEMS(X)             \
    QUORVANE_PARITY_ITEMS(X)           \
    QUORVANE_FLOW_ITEMS(X)             \
    QUORVANE_DATABITS_ITEMS(X)         \
    QUORVANE_STOP_ITEMS(X)
