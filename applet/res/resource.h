// Resource ids of RCPANEL48: dialogs, controls, strings, icon. Ids only: the
// .rc, the window glue and the applet's logic all include it.
#pragma once

// ---- icon ----
#define IDI_APPLET 2007

// ---- dialog templates ----
#define IDD_PROFILES 1200
#define IDD_BASIC 1201
#define IDD_ENCRYPTION 1203
#define IDD_ADVANCED 1204
#define IDD_ADMIN 1205
#define IDD_ABOUT 1206
#define IDD_ADAPTER 1207

// ---- profile dialog (1200) ----
#define IDC_PROFILE_SELECT_1 2106
#define IDC_PROFILE_SELECT_2 2107
#define IDC_PROFILE_SELECT_3 2108
#define IDC_PROFILE_SELECT_4 2109
#define IDC_PROFILE_NAME_1 1105
#define IDC_PROFILE_NAME_2 1106
#define IDC_PROFILE_NAME_3 1107
#define IDC_PROFILE_NAME_4 1108
#define IDC_PROFILE_TYPE_1 2100
#define IDC_PROFILE_TYPE_2 2101
#define IDC_PROFILE_TYPE_3 2102
#define IDC_PROFILE_TYPE_4 2103
#define IDC_EDIT_PROFILE 2110
#define IDC_HELP_BUTTON 9
#define IDM_ABOUT 1600  // system-menu item " &About"

// ---- About box (1206) ----
#define IDC_ABOUT_TEXT 1005

// ---- Basic page (1201) ----
#define IDC_BASIC_NAME_LABEL 2135
#define IDC_BASIC_NAME 2111
#define IDC_BASIC_DATA_SECURITY 2137
#define IDC_BASIC_KEY_LABEL 2125
#define IDC_BASIC_KEY 2115
#define IDC_BASIC_HELP_TEXT 2129

// ---- Encryption page (1203) ----
#define IDC_ENCRYPTION_DATA_SECURITY 2112
#define IDC_ENCRYPTION_TX_KEY 2120
#define IDC_ENCRYPTION_ALPHANUMERIC 2113
#define IDC_ENCRYPTION_HEX 2114
#define IDC_ENCRYPTION_KEY_1 2116
#define IDC_ENCRYPTION_KEY_2 2117
#define IDC_ENCRYPTION_KEY_3 2118
#define IDC_ENCRYPTION_KEY_4 2119

// ---- Advanced page (1204): each Off button above its On button ----
#define IDC_ADVANCED_POWER_OFF 2121
#define IDC_ADVANCED_POWER_ON 2122
#define IDC_ADVANCED_ROBUSTNESS_OFF 2123
#define IDC_ADVANCED_ROBUSTNESS_ON 2124
#define IDC_ADVANCED_RTS_OFF 1117
#define IDC_ADVANCED_RTS_ON 1118

// ---- Admin page (1205) ----
#define IDC_ADMIN_SCALE_LARGE 1100  // SystemScale 1; button = 1099 + SystemScale
#define IDC_ADMIN_SCALE_MEDIUM 1101
#define IDC_ADMIN_SCALE_SMALL 1102
#define IDC_ADMIN_MAC_GROUP 2134
#define IDC_ADMIN_MAC_DEFAULT 1103
#define IDC_ADMIN_MAC_ASSIGNED 1104
#define IDC_ADMIN_MAC 2126
#define IDC_ADMIN_HELP_TEXT 2130

// ---- Adapter page (1207) ----
#define IDC_ADAPTER_IO_BASE 2127
#define IDC_ADAPTER_INTERRUPT 2128
#define IDC_ADAPTER_HELP_TEXT 2131

// ---- strings: page titles and the applet's entry ----
#define IDS_BASIC 1300
#define IDS_ADVANCED 1301
#define IDS_ADMIN 1302
#define IDS_APPLET_NAME 1303
#define IDS_ENCRYPTION 1305
#define IDS_ADAPTER 1306
#define IDS_APPLET_DESCRIPTION 1309
#define IDS_SHEET_CAPTION 1319

// ---- strings: messages ----
#define IDS_PROFILE_NAME_MISSING 1310
#define IDS_TX_KEY_EMPTY 1311
#define IDS_RESTART_QUESTION 1312
#define IDS_KEYS_MISSING 1313
#define IDS_LOCAL_MAC_INVALID 1315
#define IDS_KEY_PRINTABLE 1316  // start of the composed key warning
#define IDS_RESTART_NEEDED 1317
#define IDS_KEY_HEX 1318  // start of the composed key warning, hex mode
#define IDS_NETWORK_NAME_MISSING 1322
#define IDS_NETWORK_NAME_LENGTH 1323
#define IDS_BASIC_KEY_MISSING 1327
#define IDS_WRONG_DRIVER 1329
#define IDS_DATA_SECURITY_OFF 1333
#define IDS_NETWORK_NAME_ANY 1334

// ---- strings: list items ----
#define IDS_KEY_1 1414  // transmit key list: item index = key index
#define IDS_KEY_2 1415
#define IDS_KEY_3 1416
#define IDS_KEY_4 1417
#define IDS_INTERRUPT_FIRST 1440  // 1440 + interrupt_table index, 0 to 8
#define IDS_INTERRUPT_LAST 1448
#define IDS_NETWORK_TYPE_FIRST 1449  // 1449 + network type code, 0 to 6
#define IDS_NETWORK_TYPE_LAST 1455
#define IDS_IO_BASE_FIRST 1500  // 1500 + io_base_table index, 0 to 47
#define IDS_IO_BASE_LAST 1547

// ---- strings: help texts shown on the pages ----
#define IDS_HELP_RESIDENTIAL_GATEWAY 1461
#define IDS_HELP_ACCESS_POINT 1462
#define IDS_HELP_PEER_TO_PEER 1463
#define IDS_HELP_ADMIN 1464
#define IDS_HELP_ADAPTER 1465
#define IDS_HELP_BASE_STATION 1466

// Caption ids of the message boxes: no string has them, so every box shows
// an empty title.
#define IDS_CAPTION_2245 2245
#define IDS_CAPTION_2246 2246
#define IDS_CAPTION_2247 2247
#define IDS_CAPTION_2248 2248
#define IDS_CAPTION_2249 2249
#define IDS_CAPTION_2250 2250
#define IDS_CAPTION_2251 2251
#define IDS_CAPTION_2252 2252
#define IDS_CAPTION_2253 2253

// ---- help topics of RCPANEL.HLP (HELP_CONTEXT) ----
#define HELP_TOPIC_BASIC 106
#define HELP_TOPIC_ADVANCED 107
#define HELP_TOPIC_ADAPTER 111
#define HELP_TOPIC_ENCRYPTION 112
#define HELP_TOPIC_PROFILES 113
#define HELP_TOPIC_ADMIN 114
