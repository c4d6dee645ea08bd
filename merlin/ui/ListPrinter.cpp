#include <merlin/ui/ListPrinter.h>

#include <QFontMetrics>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>

#include <algorithm>

namespace merlin::ui {

namespace {

// Room for a full page: the title, 60 parameter lines and a few headings.
constexpr int kLinesOfAFullPage = CListExport::kLinesPerPage + 8;

QFont headingFont(int pixels)
{
    QFont font(ListPrintJob::kHeadingFont);
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(std::max(1, pixels));
    return font;
}

QFont lineFont(int pixels)
{
    QFont font(ListPrintJob::kLineFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(std::max(1, pixels));
    return font;
}

}  // namespace

QPrinter& ListPrinter::printer()
{
    static QPrinter shared(QPrinter::HighResolution);
    return shared;
}

void ListPrinter::paintPage(const ListPrintJob& job, int n, QPainter& painter, const QRect& area)
{
    const PrintPage& page = job.page(n);
    // Title, page lines and the footer share the page; a page with many
    // small groups (more headings) gets smaller lines so that all fit.
    const int rows = std::max<int>(kLinesOfAFullPage, static_cast<int>(page.lines.size()) + 4);
    const int lineHeight = std::max(1, area.height() / rows);
    const int fontPixels = lineHeight * 4 / 5;
    int y = area.top();

    painter.setFont(headingFont(fontPixels));
    painter.drawText(QRect(area.left(), y, area.width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromStdString(job.documentTitle()));
    y += 2 * lineHeight;
    for (const PrintLine& line : page.lines) {
        const bool heading = line.kind == PrintLine::Kind::Heading;
        painter.setFont(heading ? headingFont(fontPixels) : lineFont(fontPixels));
        painter.drawText(QRect(area.left(), y, area.width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromStdString(line.text));
        y += lineHeight;
    }
    painter.setFont(headingFont(fontPixels));
    painter.drawText(QRect(area.left(), area.bottom() - lineHeight, area.width(), lineHeight),
                     Qt::AlignHCenter | Qt::AlignVCenter, QString::fromStdString(page.footer()));
}

void ListPrinter::paint(const ListPrintJob& job, QPrinter& printer)
{
    int first = 1;
    int last = job.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(first, printer.fromPage());
        last = std::min(last, printer.toPage() > 0 ? printer.toPage() : last);
    }
    QPainter painter;
    if (first > last || !painter.begin(&printer))
        return;
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRect local(0, 0, area.width(), area.height());
    for (int n = first; n <= last; ++n) {
        if (n > first)
            printer.newPage();
        paintPage(job, n, painter, local);
    }
    painter.end();
}

void ListPrinter::print(const ListPrintJob& job, QWidget* parent)
{
    QPrinter& p = printer();
    QPrintDialog dialog(&p, parent);
    dialog.setMinMax(1, job.pageCount());
    if (dialog.exec() == QDialog::Accepted)
        paint(job, p);
}

void ListPrinter::preview(const ListPrintJob& job, QWidget* parent)
{
    QPrintPreviewDialog dialog(&printer(), parent);
    dialog.setObjectName("printPreview");
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&job](QPrinter* target) { paint(job, *target); });
    dialog.exec();
}

void ListPrinter::setup(QWidget* parent)
{
    QPageSetupDialog dialog(&printer(), parent);
    dialog.exec();
}

}  // namespace merlin::ui
