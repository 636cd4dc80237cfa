#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/MessageBoxFlags.h"
#include "tests/support/scripted/ScriptedBackend.h"

// A scripted user interface whose failures fail the running test.
class ScriptedUi : public ui::ScriptedBackend {
  public:
    ScriptedUi() {
        SetFailureHandler([](const std::string& report) { ADD_FAILURE() << report; });
    }
    // The message boxes shown, each as "caption: text".
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> texts;
        for (const ui::TranscriptEntry* box : Log().MessageBoxes())
            texts.push_back(box->caption + ": " + box->text);
        return texts;
    }
    // The file-open dialogs shown, each as "title|extension|filter|proposed name".
    std::vector<std::string> FileRequests() {
        std::vector<std::string> requests;
        for (const ui::TranscriptEntry& entry : Log().Entries()) {
            if (entry.kind == ui::TranscriptEntry::Kind::FileOpen)
                requests.push_back(entry.caption + "|" + entry.fileRequest);
        }
        return requests;
    }
};
