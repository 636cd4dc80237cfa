#include "res/MainFrameMenu.h"

#include "res/Resource.h"

const ui::MenuTemplate& MainFrameMenu() {
    static const ui::MenuTemplate menu{
        IDR_MAINFRAME,
        "Tarnwick Firmware Uploader",
        {
            {"&File",
             0,
             {
                 {"Select Code File...",
                  ID_FILE_SELECT_CODE,
                  {},
                  "Choose file containing binary program code"},
                 {"Select Database File...",
                  ID_FILE_SELECT_DATABASE,
                  {},
                  "Choose file containing binary database data"},
                 {"E&xit", ID_APP_EXIT},
             }},
            {"&Upload", ID_UPLOAD},
            {"&Expert", ID_EXPERT},
            {"&View", 0, {{"&Status Bar", ID_VIEW_STATUS_BAR}}},
            {"&Help",
             0,
             {
                 {"&About orvane...", ID_APP_ABOUT},
                 {"About FILE...", ID_HELP_FILE},
                 {"About UPLOAD...", ID_HELP_UPLOAD},
                 {"About EXPERT...", ID_HELP_EXPERT},
             }},
        },
    };
    return menu;
}
