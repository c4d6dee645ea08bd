#pragma once
// What the Merlin program tests share: in-memory drives that every window's
// link reaches, scripted file dialogs, and a hook on the next modal dialog.
#include <merlin/testing/CFakeLink.h>
#include <platform/FileDialog.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace merlin::testing {

// Every window's link reaches the same drives, as Tern's shared connection does.
class SharedLink : public CModbusLink {
public:
    explicit SharedLink(CFakeLink& drives) : drives_(drives) {}
    bool OpenLink() override { return open_ = true; }
    bool OpenLinkWithTimeout(uint32_t) override { return open_ = true; }
    void CloseLink() override { open_ = false; }
    void SetRetries(int) override {}
    void RestoreRetries() override {}
    int ReadRegister(int station, int offset, uint16_t& value) override
    {
        return open_ ? drives_.ReadRegister(station, offset, value) : kLinkPortNotOpen;
    }
    int WriteRegister(int station, int offset, uint16_t value) override
    {
        return open_ ? drives_.WriteRegister(station, offset, value) : kLinkPortNotOpen;
    }

private:
    CFakeLink& drives_;
    bool open_ = false;
};

// Answers the file dialogs from a queue of paths ("" for Cancel).
class FileAnswers {
public:
    FileAnswers()
    {
        previous_ = platform::setFileDialogHandler([this](const platform::FileDialogRequest& r) {
            requests.push_back(r);
            if (answers.empty()) {
                QTest::qFail("unexpected file dialog", __FILE__, __LINE__);
                return std::optional<std::string>();
            }
            std::string next = answers.front();
            answers.pop_front();
            return next.empty() ? std::optional<std::string>() : std::optional<std::string>(next);
        });
    }
    ~FileAnswers() { platform::setFileDialogHandler(previous_); }
    FileAnswers(const FileAnswers&) = delete;
    FileAnswers& operator=(const FileAnswers&) = delete;
    std::deque<std::string> answers;
    std::vector<platform::FileDialogRequest> requests;

private:
    platform::FileDialogHandler previous_;
};

// Runs action on the next modal dialog of type T once it is open.
template <typename T>
void whenModal(std::function<void(T*)> action)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, action] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            action(dialog);
        }
    });
    poll->start();
}

}  // namespace merlin::testing
