#pragma once

#include "ui/MenuTemplate.h"

// The main window's menu (resource 128), with the status bar prompts of its commands.
const ui::MenuTemplate& MainFrameMenu();
