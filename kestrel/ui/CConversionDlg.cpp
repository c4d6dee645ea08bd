#include <kestrel/ui/CConversionDlg.h>
#include <kestrel/ui/UiText.h>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrel {

namespace {

QLabel* label(const QString& text, const QString& name = {})
{
    auto* l = new QLabel(text);
    if (!name.isEmpty()) l->setObjectName(name);
    return l;
}

// One column of the definition table: the side's file, version and limits.
void addSide(QGridLayout* grid, int column, const char* name, const char* caption, const ConversionSide& side)
{
    const QString prefix = QString::fromLatin1(name);
    grid->addWidget(label(caption), 0, column);
    grid->addWidget(label(latin1Text(side.file), prefix + "File"), 1, column);
    grid->addWidget(label(latin1Text(side.version), prefix + "Version"), 2, column);
    const std::string* texts[] = {&side.maximum, &side.minimum, &side.setValue, &side.defaultValue, &side.unit,
                                  &side.type};
    const char* names[] = {"Maximum", "Minimum", "SetValue", "Default", "Unit", "Type"};
    for (int i = 0; i < 6; ++i) {
        const QString text = side.present ? latin1Text(*texts[i]) : QString("--");
        grid->addWidget(label(text, prefix + names[i]), 3 + i, column);
    }
}

}  // namespace

CConversionDlg::CConversionDlg(const ConversionQuestion& question, QWidget* parent)
    : QDialog(parent), question_(question)
{
    setObjectName("conversionDialog");
    setWindowTitle("List Conversion");

    auto* heading = label(latin1Text(question.heading), "heading");
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    // The case texts start with blank lines of their own.
    auto* message = label(latin1Text(question.parameter + question.caseText), "message");

    auto* table = new QGridLayout;
    const char* rows[] = {"File", "Version", "Maximum", "Minimum", "Set value", "Default value", "Unit", "Type"};
    for (int r = 0; r < 8; ++r) table->addWidget(label(rows[r]), r + 1, 0);
    addSide(table, 1, "source", "Present list", question.source);
    addSide(table, 2, "target", "New list", question.target);
    table->setColumnStretch(1, 1);
    table->setColumnStretch(2, 1);

    entry_ = new QLineEdit(latin1Text(question.entry));
    entry_->setObjectName("entry");
    entry_->setEnabled(question.asksValue);
    auto* entryLine = new QHBoxLayout;
    entryLine->addWidget(label(question.hexadecimal ? "New value (hex) :" : "New value :"));
    entryLine->addWidget(entry_);

    auto* setDefault = new QPushButton("Set to Default");
    setDefault->setObjectName("setDefaultButton");
    setDefault->setEnabled(question.asksValue);
    auto* ok = new QPushButton("OK");
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto* abort = new QPushButton("Abort");
    abort->setObjectName("abortButton");
    connect(setDefault, &QPushButton::clicked, this, [this] { entry_->setText(latin1Text(question_.defaultEntry)); });
    connect(ok, &QPushButton::clicked, this, [this] {
        abort_ = false;
        accept();
    });
    connect(abort, &QPushButton::clicked, this, [this] {
        abort_ = true;
        reject();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(setDefault);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(abort);

    auto* main = new QVBoxLayout(this);
    main->addWidget(heading);
    main->addWidget(message);
    main->addLayout(table);
    main->addLayout(entryLine);
    main->addLayout(buttons);
}

ConversionAnswer CConversionDlg::answer() const { return {abort_, entry_->text().toStdString()}; }

ConversionAnswer CConversionDlg::ask(const ConversionQuestion& question, QWidget* parent)
{
    CConversionDlg dialog(question, parent);
    dialog.exec();
    return dialog.answer();
}

}  // namespace kestrel
