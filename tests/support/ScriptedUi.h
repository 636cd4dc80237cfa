#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ui/MessageBoxFlags.h"
#include "ui/scripted/ScriptedBackend.h"

// A scripted user interface whose failures fail the running test.
class ScriptedUi : public ui::ScriptedBackend {
  public:
    ScriptedUi() {
        SetFailureHandler([](const std::string& report) { ADD_FAILURE() << report; });
    }
};
