#pragma once
// The file-dialog seam shown as a QFileDialog, and the conversion of the
// programs' filter strings ("PAR Files(*.par) | *.par||") to Qt's.
#include <platform/FileDialog.h>

#include <QString>

namespace platform::qt {

// "Description|*.a;*.b|...||" -> "Description (*.a *.b);;..."; a filter
// without patterns ("*.exe||") shows every file.
QString qtFilter(const std::string& windowsFilter);

FileDialogHandler installFileDialogHandler();

}  // namespace platform::qt
