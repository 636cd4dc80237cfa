#pragma once

// Numeric identifiers of the program's resources: dialogs, controls, menu commands
// and timers. The numbers are the program's own; backends map them privately when
// they cannot use them as they are.

// Dialog templates and the main frame's resources.
enum ResourceId : int {
    IDD_ABOUTBOX = 100,
    IDR_MAINFRAME = 128,
    IDD_UPLOAD_CONFIRM = 142,
    IDD_CONNECT = 150,
    IDD_DATABASE_TYPE = 151,
    IDD_PROTOCOL = 152,
    IDD_UPLOAD_STATUS = 153,
    IDD_DATABASE_UPLOAD = 154,
    IDD_POI_UPLOAD_TYPE = 155,
    IDD_DATABASE_UPLOAD_TYPE = 156,
    IDD_MAP_UPLOAD_TYPE3 = 157,
    IDD_MAP_UPLOAD_TYPE4 = 158,
    IDD_EXPERT_SETUP = 159,
    IDD_BAUD_RATE = 160,
    IDD_FILE_HELP = 161,
    IDD_EXPERT_HELP = 162,
    IDD_UPLOAD_HELP = 163,
    IDD_FIRMWARE_WARNING = 164,
    IDD_UPLOAD_FILE = 165,
};

// Menu commands.
enum CommandId : int {
    ID_FILE_SELECT_CODE = 32774,
    ID_FILE_SELECT_DATABASE = 32775,
    ID_EXPERT = 32784,
    ID_UPLOAD = 32788,
    ID_HELP_FILE = 32790,
    ID_HELP_EXPERT = 32792,
    ID_HELP_UPLOAD = 32794,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_VIEW_STATUS_BAR = 59393,
};

// Controls. Several dialogs share a number, as their templates do.
enum ControlId : int {
    IDC_STATIC = -1,
    IDC_STATUS_TEXT = 1009,  // connection status, unit line of the database and protocol dialogs
    IDC_ELAPSED_TEXT = 1010,
    IDC_PROMPT_TEXT = 1011,  // connection prompt; current file of the family-2 upload
    IDC_DB_PROGRESS = 1012,
    IDC_DB_STATUS = 1015,
    IDC_PERCENT_TEXT = 1020,
    IDC_CURRENT_FILE = 1022,
    IDC_UPLOAD_STATUS = 1023,
    IDC_PROGRESS = 1024,
    IDC_MAP4_BASE = 1026,
    IDC_MAP4_DETAIL = 1027,
    IDC_MAP4_CODE = 1028,
    IDC_DB_TYPE_CODE = 1063,
    IDC_DB_TYPE_DATABASE = 1064,
    IDC_MAP4_CODE_AND_BASE = 1065,
    IDC_UPLOAD_FILE_BUTTON = 1069,
    IDC_CHANGE_FILE_BUTTON = 1070,
    IDC_DB_TYPE_BOTH = 1072,
    IDC_VERSION_TEXT = 1082,
    IDC_MAP3_DETAIL = 1084,
    IDC_MAP3_BASE = 1085,
    IDC_MAP3_CODE = 1086,
    IDC_POI_TYPE_POI = 1092,
    IDC_POI_TYPE_CODE = 1093,
    IDC_UPLOAD_FILE_NAME = 1100,
    IDC_WARNING_UPPER = 1101,
    IDC_WARNING_LOWER = 1102,
    IDC_WARNING_ICON = 1103,
    IDC_EXPERT_COM1 = 1110,  // COM 1 .. COM 4, then COM with the number box
    IDC_EXPERT_COM2 = 1111,
    IDC_EXPERT_COM3 = 1112,
    IDC_EXPERT_COM4 = 1113,
    IDC_EXPERT_COM_OTHER = 1114,
    IDC_EXPERT_COM_NUMBER = 1115,
    IDC_EXPERT_OFF = 1116,
    IDC_EXPERT_ON = 1117,
    IDC_EXPERT_SAVE = 1118,
    IDC_EXPERT_BAUD_BUTTON = 1119,
    IDC_EXPERT_UNIT_FIRST = 1120,  // thirteen model buttons, 1120 .. 1132
    IDC_BAUD_FIRST = 1140,         // ten speed buttons, 1140 .. 1149
    IDC_HELP_TEXT1 = 1150,
    IDC_HELP_TEXT2 = 1151,
    IDC_HELP_TEXT3 = 1152,
    IDC_CONFIRM_PROMPT = 1153,
};

// Window timers.
enum TimerId : int {
    kScanTimer = 10,    // connection, database-type and protocol dialogs, 1000 ms
    kUploadTimer = 11,  // upload drivers, 100 ms
};
