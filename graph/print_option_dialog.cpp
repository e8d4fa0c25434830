#include "graph/print_option_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPageSize>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include "graph/graph_printer.h"

namespace {

constexpr const char* kPaperNames[] = {"Letter (8.5x11\")",
                                       "Letter Small (8.5x11\")",
                                       "Tabloid (11x17\")",
                                       "Ledger (17x11\")",
                                       "Legal (8.5x14\")",
                                       "Statement (5.5x8.5\")",
                                       "Executive (7.25x10.5\")",
                                       "A3 sheet (297x420mm)",
                                       "A4 Sheet (210x297mm)",
                                       "A4 small sheet (210x297mm)",
                                       "A5 sheet (148x210mm)",
                                       "B4 sheet (250x354mm)",
                                       "B5 sheet (182x257mm)",
                                       "Folio (8.5x13\")",
                                       "Quarto (215x275mm) paper",
                                       "10x14\" sheet",
                                       "11x17\" sheet",
                                       "Note (8.5x11\")",
                                       "#9 Envelope (3 7/8 x 8 7/8\")",
                                       "#10 Envelope (4 1/8 x 9 1/2\")",
                                       "#11 Envelope (4 1/2 x 10 3/8\")",
                                       "#12 Envelope (4 3/4 x 11\")",
                                       "#14 Envelope (5 x 11.5\")",
                                       "C Sheet (17x22\")",
                                       "D Sheet (22x34\")",
                                       "E Sheet (34x44\")",
                                       "DL Envelope (110x220mm)",
                                       "C5 Envelope (162x229mm)",
                                       "C3 Envelope  (324x458mm)",
                                       "C4 Envelope  (229x324mm)",
                                       "C6 Envelope  (114x162mm)",
                                       "C65 Envelope (114x229mm)",
                                       "B4 Envelope  (250x353mm)",
                                       "B5 Envelope  (176x250mm)",
                                       "B6 Envelope  (176x125mm)",
                                       "Italy Envelope (110x230mm)",
                                       "Monarch Envelope (3 7/8 x 7 1/2\")",
                                       "6 3/4 Envelope (3 5/8 x 6 1/2\")",
                                       "US Std Fanfold (14 7/8 x 11\")",
                                       "German Std Fanfold (8 1/2 x 12\")",
                                       "German Legal Fanfold (8 1/2 x 13\")"};
static_assert(std::size(kPaperNames) == 41);

// "print to file" belongs to the program, not to a dialog or a window: off at start, then
// as the user left it, also after the window that showed the dialog is gone.
bool printToFileChoice = false;

// A small picture of a page layout: the chart as a framed curve, the notes as lines.
QIcon LayoutPicture(int layout) {
    const bool landscape = layout == 2;
    QPixmap pix(landscape ? 64 : 48, landscape ? 48 : 64);
    pix.fill(Qt::white);
    QPainter p(&pix);
    p.setPen(QPen(Qt::gray, 1));
    p.drawRect(0, 0, pix.width() - 1, pix.height() - 1);
    const int w = pix.width() - 12;
    auto chart = [&](int y) {
        p.setPen(QPen(Qt::black, 1));
        p.drawRect(6, y, w, 20);
        p.setPen(QPen(QColor(200, 0, 0), 1));
        p.drawLine(8, y + 17, 6 + w / 2, y + 4);
        p.drawLine(6 + w / 2, y + 4, 4 + w, y + 17);
    };
    auto notes = [&](int y) {
        p.setPen(QPen(Qt::darkGray, 1));
        for (int i = 0; i < 4; ++i) p.drawLine(6, y + 3 * i, 6 + w - (i % 2) * 8, y + 3 * i);
    };
    if (layout == 1) {
        notes(8);
        chart(24);
    } else {
        chart(6);
        notes(32);
    }
    return QIcon(pix);
}

}  // namespace

QString TPrintOptionDlg::PaperName(int code) {
    if (code < 0) return QStringLiteral("Custom size");
    if (code == 0 || code > 41) return QStringLiteral("not detected");
    return QString::fromUtf8(kPaperNames[code - 1]);
}

TPrintOptionDlg::TPrintOptionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PrintOptionDlg"));
    setWindowTitle(QStringLiteral("Orvane - printing "));
    auto* layout = new QVBoxLayout(this);

    auto* printer = new QGroupBox(QStringLiteral(" Printer "), this);
    auto* pl = new QVBoxLayout(printer);
    name_ = new QLabel(printer);
    paper_ = new QLabel(printer);
    toFile_ = new QCheckBox(QStringLiteral("print to file"), printer);
    toFile_->setChecked(printToFileChoice);
    connect(toFile_, &QCheckBox::toggled, this, [](bool on) { printToFileChoice = on; });
    auto* setup = new QPushButton(QStringLiteral("Setup printer"), printer);
    pl->addWidget(name_);
    pl->addWidget(paper_);
    auto* row = new QHBoxLayout;
    row->addWidget(toFile_);
    row->addStretch(1);
    row->addWidget(setup);
    pl->addLayout(row);
    layout->addWidget(printer);

    auto* pages = new QGroupBox(QStringLiteral("Select page layout"), this);
    auto* pagesLayout = new QHBoxLayout(pages);
    layouts_ = new QButtonGroup(this);
    const char* tips[] = {"portrait, chart above notes", "portrait, notes above chart",
                          "landscape, chart above notes"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(pages);
        b->setIcon(LayoutPicture(i));
        b->setIconSize(QSize(64, 64));
        b->setToolTip(QString::fromLatin1(tips[i]));
        layouts_->addButton(b, i);
        pagesLayout->addWidget(b);
    }
    layout->addWidget(pages);

    blackWhite_ = new QCheckBox(QStringLiteral("send graph to printer as b/w"), this);
    layout->addWidget(blackWhite_);
    auto* editNotes = new QPushButton(QStringLiteral("Edit notes"), this);
    layout->addWidget(editNotes, 0, Qt::AlignLeft);

    notesGroup_ = new QGroupBox(QStringLiteral(" Edit caption/add comment "), this);
    auto* nl = new QVBoxLayout(notesGroup_);
    notesEdit_ = new QPlainTextEdit(notesGroup_);
    nl->addWidget(notesEdit_);
    auto* notesButtons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, notesGroup_);
    nl->addWidget(notesButtons);
    notesGroup_->setVisible(false);
    layout->addWidget(notesGroup_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* print = buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    print->setDefault(true);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(editNotes, &QPushButton::clicked, this, [this] {
        notesEdit_->setPlainText(notes_);
        notesEdit_->moveCursor(QTextCursor::End);
        notesGroup_->setVisible(true);
        notesEdit_->setFocus();
    });
    connect(notesButtons, &QDialogButtonBox::accepted, this, [this] {
        notes_ = notesEdit_->toPlainText();
        notesGroup_->setVisible(false);
    });
    connect(notesButtons, &QDialogButtonBox::rejected, this,
            [this] { notesGroup_->setVisible(false); });
    connect(setup, &QPushButton::clicked, this, [this, print] {
        if (!printer_) return;
        QPrintDialog dialog(printer_, this);
        if (dialog.exec() == QDialog::Accepted) {
            const bool landscape = printer_->pageLayout().orientation() == QPageLayout::Landscape;
            if (landscape && layouts_->checkedId() != 2) layouts_->button(2)->setChecked(true);
            if (!landscape && layouts_->checkedId() == 2) layouts_->button(0)->setChecked(true);
        }
        RefreshPrinter();
        print->setFocus();
    });
}

TPrintOptionDlg& TPrintOptionDlg::Instance(QWidget* parent) {
    static QPointer<TPrintOptionDlg> dialog;
    if (!dialog) dialog = new TPrintOptionDlg(parent ? parent->window() : nullptr);
    return *dialog;
}

void TPrintOptionDlg::RefreshPrinter() {
    const QString name = printer_ ? printer_->printerName() : QString();
    name_->setText(QStringLiteral("Name: ") + (name.isEmpty() ? QStringLiteral("unknown") : name));
    const int code = printer_ ? printer_->pageLayout().pageSize().windowsId() : -1;
    paper_->setText(QStringLiteral("Paper: ") + PaperName(code));
}

void TPrintOptionDlg::Prepare(QPrinter& printer, const TPrintOptions& options,
                              const QString& notes) {
    printer_ = &printer;
    RefreshPrinter();
    toFile_->setChecked(printToFileChoice);
    layouts_->button(std::clamp(options.layout, 0, 2))->setChecked(true);
    blackWhite_->setChecked(options.blackAndWhite);
    notes_ = notes;
    notesGroup_->setVisible(false);
}

void TPrintOptionDlg::Take(TPrintOptions& options, QString& notes) const {
    options.layout = layouts_->checkedId();
    options.blackAndWhite = blackWhite_->isChecked();
    notes = notes_;
}

bool TPrintOptionDlg::Run(QPrinter& printer, TPrintOptions& options, QString& notes) {
    Prepare(printer, options, notes);
    const bool print = exec() == QDialog::Accepted;
    if (print) Take(options, notes);
    printer_ = nullptr;
    return print;
}

bool TPrintOptionDlg::PrintToFile() const {
    return printToFileChoice;
}

void TPrintOptionDlg::SetPrintToFile(bool on) {
    toFile_->setChecked(on);
}
