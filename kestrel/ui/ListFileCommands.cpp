#include <kestrel/ui/ListFileCommands.h>

#include <kestrel/core/CustomListModel.h>
#include <kestrel/core/FileCompare.h>
#include <kestrel/core/ListConversion.h>
#include <kestrel/core/PrintFile.h>
#include <kestrel/ui/CCompareDlg.h>
#include <kestrel/ui/CConversionDlg.h>
#include <kestrel/ui/CCustomListDlg.h>
#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/ListWindows.h>
#include <shell/CMainFrame.h>
#include <shell/HelpViewer.h>
#include <shell/QtHelpUi.h>
#include <shell/ShellContext.h>

namespace kestrel {

namespace {

const std::string& installDir(shell::CMainFrame& frame) { return frame.context().installDir; }

// "RQ-1240" -> "12.40".
std::optional<std::string> versionOfSelection(const std::string& selection)
{
    if (selection.size() != 7 || selection.compare(0, 3, "RQ-") != 0) return std::nullopt;
    return selection.substr(3, 2) + "." + selection.substr(5, 2);
}

void runEditor(shell::CMainFrame& frame, std::optional<CustomListModel> model)
{
    if (!model) return;
    CCustomListDlg dialog(std::move(*model), &frame);
    dialog.exec();
}

std::optional<ListWindowFacts> activeList(shell::CMainFrame& frame)
{
    const CTervikView* view = activeListView(frame);
    if (view == nullptr) return std::nullopt;
    const CTervikDoc& doc = view->document();
    return ListWindowFacts{doc.kind(),    doc.filePath(), doc.workPath(), doc.databaseFileName(),
                           doc.address(), doc.deviceName()};
}

}  // namespace

void printActiveList(shell::CMainFrame& frame)
{
    if (const auto list = activeList(frame)) printListWindow(frame, *list);
}

void compareActiveList(shell::CMainFrame& frame)
{
    if (const auto list = activeList(frame)) compareListWindow(frame, *list);
}

void convertActiveList(shell::CMainFrame& frame)
{
    const auto list = activeList(frame);
    if (!list) return;
    convertListWindow(frame, *list, [&frame](const OpenedList& o) {
        showListWindow(frame, ListOpening{o.kind, o.filePath, o.workPath, o.databaseFileName, "", ""});
    });
}

std::optional<std::string> chooseVersion(shell::CMainFrame& frame, const std::string& prompt)
{
    shell::ShellContext& context = frame.context();
    shell::QtHelpUi ui(&frame);
    shell::HelpViewer viewer(ui, context.help, context.installDir, context.settings.readerPath);
    context.help.listMode = shell::VersionList;
    context.help.selectionPrompt = prompt;
    return versionOfSelection(viewer.selectFromList(shell::VersionList));
}

void createCustomList(shell::CMainFrame& frame)
{
    const auto version = chooseVersion(frame, CustomListModel::kCreatePrompt);
    if (!version) return;
    runEditor(frame, CustomListModel::create(installDir(frame), *version));
}

void modifyCustomList(shell::CMainFrame& frame) { runEditor(frame, CustomListModel::modify(installDir(frame))); }

void printListWindow(shell::CMainFrame& frame, const ListWindowFacts& list)
{
    printList(list.workPath, installDir(frame) + list.databaseFileName, list.filePath, list.address, list.deviceName);
}

void compareListWindow(shell::CMainFrame& frame, const ListWindowFacts& list)
{
    const CompareSource source{list.kind, list.filePath, list.workPath, installDir(frame) + list.databaseFileName};
    const auto result = compareFiles(installDir(frame), source);
    if (!result) return;
    CCompareDlg dialog(*result, &frame);
    dialog.exec();
}

void convertListWindow(shell::CMainFrame& frame, const ListWindowFacts& list, const ShowOpenedList& show)
{
    const auto version = chooseVersion(frame, std::string(kConversionVersionPrompt));
    if (!version) return;
    const ConversionSource source{list.kind, list.filePath, list.workPath, list.databaseFileName};
    ListConversion conversion(
        installDir(frame), source, [&frame](const ConversionQuestion& q) { return CConversionDlg::ask(q, &frame); },
        [&show](const OpenedList& opened) {
            if (show) show(opened);
        });
    (void)conversion.run(*version);
}

}  // namespace kestrel
