#pragma once
// A headless platform that records every message, so tests can assert the exact texts.
#include <string>
#include <vector>

#include "core/Platform.h"

namespace quillory::test {

class RecordingPlatform : public HeadlessPlatform {
public:
    RecordingPlatform() { m_previous = InstallPlatform(this); }
    ~RecordingPlatform() override { InstallPlatform(m_previous); }

    MessageAnswer ShowMessage(const std::string& text, MessageKind kind, MessageButtons buttons) override {
        messages.push_back(text);
        if (!answers.empty()) {
            MessageAnswer a = answers.front();
            answers.erase(answers.begin());
            return a;
        }
        return HeadlessPlatform::ShowMessage(text, kind, buttons);
    }
    void SetProgress(int percent) override { progress.push_back(percent); }
    void BeginWaitCursor() override { ++waitDepth, ++waitCount; }
    void EndWaitCursor() override { --waitDepth; }
    bool OpenWithDefaultApplication(const std::string& path) override {
        openedFiles.push_back(path);
        return true;
    }

    std::vector<std::string> messages;
    std::vector<MessageAnswer> answers;  // given to questions in order, then the default
    std::vector<int> progress;
    int waitDepth = 0;
    int waitCount = 0;
    std::vector<std::string> openedFiles;  // handed to the desktop's default application

private:
    Platform* m_previous = nullptr;
};

}  // namespace quillory::test
