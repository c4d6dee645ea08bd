#pragma once
// One open Merlin document in the main frame: the document, its parameter
// view and the commands that act on them (save, convert, going online, the
// customer list, faults, export). Closing a changed document asks first.
#include <merlin/core/MerlinDocument.h>
#include <merlin/ui/CTervikView.h>
#include <shell/CMdiChild.h>

#include <memory>

namespace shell {
class CMainFrame;
}

namespace merlin::ui {

class CParameterFrame : public shell::CMdiChild {
    Q_OBJECT
public:
    CParameterFrame(shell::CMainFrame& frame, std::unique_ptr<MerlinDocument> document, QWidget* parent = nullptr);
    ~CParameterFrame() override;

    MerlinDocument& document() { return *document_; }
    CTervikView& view() { return *view_; }

    bool onCommand(int id) override;
    std::optional<bool> commandEnabled(int id) const override;
    std::optional<bool> commandChecked(int id) const override;

    bool save();
    bool saveAs();
    void convertTo();
    void goOnline();
    void faultHistory();
    void modifyList();
    void exportText();
    // "&Upload All" / "&Download All" in the progress dialog; offline, the
    // view is taken online first.
    void transfer(bool upload);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool isActiveChild() const;
    // After a save: the recent files and the title follow.
    bool saved(bool done);
    void titleChanged();

    shell::CMainFrame& frame_;
    std::unique_ptr<MerlinDocument> document_;
    CTervikView* view_ = nullptr;
};

// "&New Parameter List...", "&Open Parameter List..." and a recent file: a
// new window for the document, or nothing after the messages.
CParameterFrame* newDocument(shell::CMainFrame& frame);
CParameterFrame* openDocument(shell::CMainFrame& frame, const std::string& path);
// The file dialog of "&Open Parameter List..."; empty on Cancel.
std::string askParameterFile(const std::string& directory);

}  // namespace merlin::ui
