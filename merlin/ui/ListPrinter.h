#pragma once
// "&Print...", "Print Pre&view" and "Print Setup..." of a document's
// parameter list on Qt's print support. One printer set-up serves the whole
// program run, as the print setup of a desktop program does.
#include <merlin/core/ListPrintJob.h>

#include <QPrinter>

class QPainter;
class QWidget;

namespace merlin::ui {

class ListPrinter {
public:
    // The program's printer (its setup persists between commands).
    static QPrinter& printer();

    // Draws every page of job on printer (its page range when one is set).
    static void paint(const ListPrintJob& job, QPrinter& printer);
    // Draws page n (from 1) into a painter already on a page.
    static void paintPage(const ListPrintJob& job, int n, QPainter& painter, const QRect& area);

    // The commands: the print dialog, the preview window, the page setup.
    static void print(const ListPrintJob& job, QWidget* parent);
    static void preview(const ListPrintJob& job, QWidget* parent);
    static void setup(QWidget* parent);
};

}  // namespace merlin::ui
