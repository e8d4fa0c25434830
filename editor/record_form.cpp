#include "editor/record_form.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "editor/records_snapshot_command.h"
#include "record_store/bin_data_set.h"
#include "record_store/presentation_calculation.h"
#include "record_store/presentation_entry.h"

namespace {

// A field edit shows the display text and switches to the edit text while it has the focus,
// as the grid's editor does.
class TFieldEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> onFocusIn;
    std::function<void()> onFocusOut;

protected:
    void focusInEvent(QFocusEvent* e) override {
        if (onFocusIn) onFocusIn();
        QLineEdit::focusInEvent(e);
    }
    void focusOutEvent(QFocusEvent* e) override {
        QLineEdit::focusOutEvent(e);
        if (onFocusOut) onFocusOut();
    }
};

const char* const kRadiationPrefix[] = {"Alpha", "Beta", "Gamma"};
const char kRadiationLetter[] = {'A', 'B', 'G'};

}  // namespace

TRecordForm::TRecordForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("RecordForm"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);

    generalGroup_ = new QGroupBox(QStringLiteral("General info"), this);
    new QGridLayout(generalGroup_);
    AddEdit(generalGroup_, QStringLiteral("Info"), QString(), true);
    AddEdit(generalGroup_, QStringLiteral("Run#"), QStringLiteral("Run"), true);
    AddEdit(generalGroup_, QStringLiteral("Disk#"), QStringLiteral("Disk"));
    AddEdit(generalGroup_, QStringLiteral("Run kind"), QStringLiteral("Kind"), true);
    AddEdit(generalGroup_, QStringLiteral("SingleMultiple"), QString(), true);
    AddEdit(generalGroup_, QStringLiteral("Norm"), QString(), true);

    bleachGroup_ = new QGroupBox(QStringLiteral("Bleaching"), this);
    new QGridLayout(bleachGroup_);
    AddEdit(bleachGroup_, QStringLiteral("Bleach time"), QStringLiteral("time, min"));
    AddEdit(bleachGroup_, QStringLiteral("Bleach filter"), QStringLiteral("filter"));
    AddCheck(bleachGroup_, QStringLiteral("Before irrad"), QStringLiteral("before irradiation"));

    deviceGroup_ = new QGroupBox(QStringLiteral("Device info"), this);
    new QGridLayout(deviceGroup_);
    AddEdit(deviceGroup_, QStringLiteral("Device"), QString(), true);
    rampPlace_ = &AddEdit(deviceGroup_, QStringLiteral("Ramp"), QStringLiteral("ramp rate deg/s"));
    powerCaption_ = new QLabel(QStringLiteral("power % max"), deviceGroup_);
    {
        // Shares the cell of "ramp rate deg/s": OSL records show one, TL records the other.
        auto* layout = static_cast<QGridLayout*>(deviceGroup_->layout());
        int row = 0, col = 0, rs = 0, cs = 0;
        layout->getItemPosition(layout->indexOf(rampPlace_->edit), &row, &col, &rs, &cs);
        layout->addWidget(powerCaption_, row, 0);
    }
    captions_ << powerCaption_;
    AddEdit(deviceGroup_, QStringLiteral("NPT"), QStringLiteral("points"));
    AddEdit(deviceGroup_, QStringLiteral("MaxTemp"), QString(), true);
    AddEdit(deviceGroup_, QStringLiteral("Spacing"), QString());
    AddEdit(deviceGroup_, QStringLiteral("Time base 10"), QString());
    AddEdit(deviceGroup_, QStringLiteral("Time base 100"), QString());
    AddEdit(deviceGroup_, QStringLiteral("Time base 1000"), QString());
    AddEdit(deviceGroup_, QStringLiteral("Time base 10000"), QString());
    AddEdit(deviceGroup_, QStringLiteral("OSL time"), QStringLiteral("total:"), true);
    AddEdit(deviceGroup_, QStringLiteral("OSL BGD"), QStringLiteral("OSL bgd"));
    AddEdit(deviceGroup_, QStringLiteral("Sample temp"), QStringLiteral("sample temp"));

    curveGroup_ = new QGroupBox(QStringLiteral("Curve"), this);
    new QGridLayout(curveGroup_);
    AddEdit(curveGroup_, QStringLiteral("Normalization factor"), QStringLiteral("normalization"));
    AddEdit(curveGroup_, QStringLiteral("Shift"), QStringLiteral("shift"));

    irradiationGroup_ = new QGroupBox(QStringLiteral("Irradiation"), this);
    BuildIrradiationGroup();

    remarkGroup_ = new QGroupBox(QStringLiteral("Remark"), this);
    auto* remarkLayout = new QGridLayout(remarkGroup_);
    remarkLayout->setContentsMargins(6, 2, 6, 4);
    AddEdit(remarkGroup_, QStringLiteral("Remark"), QString());

    for (QGroupBox* g :
         {generalGroup_, bleachGroup_, deviceGroup_, curveGroup_, irradiationGroup_, remarkGroup_})
        groups_.insert(g->title(), g);

    grid->addWidget(generalGroup_, 0, 0);
    grid->addWidget(deviceGroup_, 0, 1, 2, 1);
    grid->addWidget(irradiationGroup_, 0, 2);
    grid->addWidget(bleachGroup_, 1, 0);
    grid->addWidget(curveGroup_, 1, 2);
    grid->addWidget(remarkGroup_, 2, 0, 1, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 3);
    grid->setRowStretch(3, 1);
    SetView(nullptr, TRecordKind::Dat);
}

TRecordForm::~TRecordForm() {
    qDeleteAll(controls_);
}

TRecordForm::TFieldControl& TRecordForm::AddEdit(QWidget* group, const QString& field,
                                                 const QString& caption, bool readOnly) {
    auto* c = new TFieldControl;
    c->field = field;
    auto* layout = static_cast<QGridLayout*>(group->layout());
    const int row = layout->rowCount();
    if (!caption.isEmpty()) {
        c->caption = new QLabel(caption, group);
        captions_ << c->caption;
        layout->addWidget(c->caption, row, 0);
    }
    if (readOnly) {
        c->display = new QLabel(group);
        c->display->setObjectName(QStringLiteral("Field_") + field);
        c->display->setTextInteractionFlags(Qt::TextSelectableByMouse);
        c->display->setMinimumWidth(fontMetrics().averageCharWidth() * 8);
        layout->addWidget(c->display, row, 1, 1, caption.isEmpty() ? 2 : 1);
        if (caption.isEmpty()) {
            layout->removeWidget(c->display);
            layout->addWidget(c->display, row, 0, 1, 2);
        }
    } else {
        auto* edit = new TFieldEdit(group);
        c->edit = edit;
        edit->setObjectName(QStringLiteral("Field_") + field);
        edit->setMinimumWidth(fontMetrics().averageCharWidth() * 10);
        if (caption.isEmpty())
            layout->addWidget(edit, row, 0, 1, 2);
        else
            layout->addWidget(edit, row, 1);
        edit->onFocusIn = [this, c] {
            if (!refreshing_ && view_) c->edit->setText(EditTextOf(c->field));
        };
        edit->onFocusOut = [this, c] { RefreshControl(*c); };
        connect(edit, &QLineEdit::editingFinished, this, [this, c] {
            if (c->edit->isModified()) {
                c->edit->setModified(false);
                StoreEntry(*c, c->edit->text());
            }
        });
    }
    controls_ << c;
    return *c;
}

TRecordForm::TFieldControl& TRecordForm::AddCheck(QWidget* group, const QString& field,
                                                  const QString& caption) {
    auto* c = new TFieldControl;
    c->field = field;
    c->check = new QCheckBox(caption, group);
    c->check->setObjectName(QStringLiteral("Field_") + field);
    auto* layout = static_cast<QGridLayout*>(group->layout());
    layout->addWidget(c->check, layout->rowCount(), 0, 1, 2);
    connect(c->check, &QCheckBox::clicked, this, [this, c](bool on) {
        StoreEntry(*c, QString::fromStdString(on ? booleans_.trueText : booleans_.falseText));
    });
    controls_ << c;
    return *c;
}

void TRecordForm::BuildIrradiationGroup() {
    auto* layout = new QGridLayout(irradiationGroup_);
    auto* buttons = new QHBoxLayout;
    alpha_ = new QRadioButton(QStringLiteral("alpha"), irradiationGroup_);
    beta_ = new QRadioButton(QStringLiteral("beta"), irradiationGroup_);
    gamma_ = new QRadioButton(QStringLiteral("gamma"), irradiationGroup_);
    const TRadiation kinds[] = {TRadiation::Alpha, TRadiation::Beta, TRadiation::Gamma};
    QRadioButton* radios[] = {alpha_, beta_, gamma_};
    for (int i = 0; i < 3; ++i) {
        radios[i]->setAutoExclusive(false);  // in a DAT record each shows its own time
        buttons->addWidget(radios[i]);
        const TRadiation r = kinds[i];
        connect(radios[i], &QRadioButton::clicked, this, [this, r] { OnRadiationClicked(r); });
    }
    buttons->addStretch();
    layout->addLayout(buttons, 0, 0, 1, 2);
    irrad_[0] =
        &AddEdit(irradiationGroup_, QStringLiteral("Alpha source"), QStringLiteral("source"));
    irrad_[1] = &AddEdit(irradiationGroup_, QStringLiteral("Alpha time"), QStringLiteral("time"));
    irrad_[2] =
        &AddEdit(irradiationGroup_, QStringLiteral("Alpha rate"), QStringLiteral("dose rate"));
    irrad_[3] = &AddEdit(irradiationGroup_, QStringLiteral("Alpha unit"), QStringLiteral("unit"));
    irradDate_ = &AddEdit(irradiationGroup_, QStringLiteral("Irrad date"), QStringLiteral("on"));
}

void TRecordForm::SetBooleanTexts(const presentation::TBooleanTexts& texts) {
    booleans_ = texts;
    Refresh();
}

void TRecordForm::SetView(TBinDataSet* view, TRecordKind kind) {
    view_ = view;
    shownRecordId_ = -1;
    kind_ = kind;
    AdaptToKind();
    Refresh();
}

void TRecordForm::ShowControl(TFieldControl& c, bool show) {
    c.shown = show;
    if (c.caption) c.caption->setVisible(show);
    if (c.edit) c.edit->setVisible(show);
    if (c.display) c.display->setVisible(show);
    if (c.check) c.check->setVisible(show);
}

void TRecordForm::SetIrradiationFields(TRadiation radiation) {
    if (kind_ == TRecordKind::Sad) {
        irrad_[0]->field = QStringLiteral("Source");
        irrad_[1]->field = QStringLiteral("Irradiating time");
        irrad_[2]->field = QStringLiteral("Dose rate");
        irrad_[3]->field = QStringLiteral("Dose rate unit");
    } else {
        const QString p = QLatin1String(kRadiationPrefix[static_cast<int>(radiation)]);
        irrad_[0]->field = p + QStringLiteral(" source");
        irrad_[1]->field = p + QStringLiteral(" time");
        irrad_[2]->field = p + QStringLiteral(" rate");
        irrad_[3]->field = p + QStringLiteral(" unit");
    }
    for (TFieldControl* c : irrad_) {
        c->edit->setObjectName(QStringLiteral("Field_") + c->field);
        RefreshControl(*c);
    }
}

void TRecordForm::AdaptToKind() {
    const bool sad = kind_ == TRecordKind::Sad;
    for (TFieldControl* c : controls_) ShowControl(*c, true);
    bleachGroup_->setVisible(!sad);
    curveGroup_->setVisible(kind_ == TRecordKind::Dat);
    rampPlace_->field = sad ? QStringLiteral("Power") : QStringLiteral("Ramp");
    rampPlace_->edit->setObjectName(QStringLiteral("Field_") + rampPlace_->field);
    for (TFieldControl* c : controls_) {
        if (c->field == QLatin1String("Norm") || c->field == QLatin1String("MaxTemp") ||
            c->field == QLatin1String("Spacing"))
            ShowControl(*c, !sad);
    }
    if (rampPlace_->caption) rampPlace_->caption->setVisible(!sad);
    // The two captions share a cell: until a record says OSL, the ramp caption shows (the
    // DAS view never adapts to its records).
    powerCaption_->setVisible(sad);
    SetIrradiationFields(TRadiation::Alpha);
}

bool TRecordForm::HasField(const QString& field) const {
    return view_ && view_->Active() && view_->FindField(field.toStdString()) != nullptr;
}

QString TRecordForm::ShownTextOf(const QString& field, bool forEdit) const {
    if (!HasField(field) || view_->RecNo() < 0) return {};
    const presentation::TViewRecordValues r(*view_, kind_, std::nullopt, locale_);
    return QString::fromStdString(r.ShownText(field.toStdString(), booleans_, forEdit));
}

QString TRecordForm::DisplayTextOf(const QString& field) const {
    return ShownTextOf(field, false);
}

QString TRecordForm::EditTextOf(const QString& field) const {
    return ShownTextOf(field, true);
}

void TRecordForm::RefreshControl(TFieldControl& c) {
    const bool bound = HasField(c.field) && view_->RecNo() >= 0;
    const bool wasRefreshing = refreshing_;
    refreshing_ = true;
    if (c.edit) {
        c.edit->setEnabled(bound);
        c.edit->setText(c.edit->hasFocus() ? EditTextOf(c.field) : DisplayTextOf(c.field));
        c.edit->setModified(false);
        c.edit->setCursorPosition(0);
    }
    if (c.display) c.display->setText(DisplayTextOf(c.field));
    if (c.check) {
        c.check->setEnabled(bound);
        c.check->setChecked(bound && view_->AsBoolean(c.field.toStdString()));
    }
    refreshing_ = wasRefreshing;
}

void TRecordForm::AdaptToRecord() {
    if (kind_ == TRecordKind::Das || !view_ || !view_->Active() || view_->RecNo() < 0) return;
    const bool tl = presentation::IsTLCode(view_->AsInteger(std::string_view("Dev#")));
    const bool sad = kind_ == TRecordKind::Sad;
    for (TFieldControl* c : controls_) {
        const QString& f = c->field;
        if (f.startsWith(QLatin1String("Time base")) || f == QLatin1String("OSL time") ||
            f == QLatin1String("OSL BGD") || f == QLatin1String("Sample temp"))
            ShowControl(*c, !tl);
        else if (f == QLatin1String("Shift"))
            ShowControl(*c, tl);
        else if (!sad && (f == QLatin1String("MaxTemp") || f == QLatin1String("Spacing")))
            ShowControl(*c, tl);
    }
    for (TFieldControl* c : controls_) {
        if (c->field == QLatin1String("NPT") && c->caption)
            c->caption->setText(tl ? QStringLiteral("points") : QStringLiteral("Channels"));
    }
    if (rampPlace_->caption) rampPlace_->caption->setVisible(tl && !sad);
    powerCaption_->setVisible(!tl);
}

void TRecordForm::UpdateRadiationButtons() {
    QRadioButton* radios[] = {alpha_, beta_, gamma_};
    bool on[3] = {false, false, false};
    if (view_ && view_->Active() && view_->RecNo() >= 0) {
        if (kind_ == TRecordKind::Dat) {
            for (int i = 0; i < 3; ++i)
                on[i] = view_->AsFloat(std::string(kRadiationPrefix[i]) + " time") > 0;
        } else if (kind_ == TRecordKind::Sad && view_->AsFloat("Irradiating time") > 0) {
            const std::string letter = view_->AsString("Irradiator");
            for (int i = 0; i < 3; ++i) on[i] = !letter.empty() && letter[0] == kRadiationLetter[i];
        }
    }
    for (int i = 0; i < 3; ++i) radios[i]->setChecked(on[i]);
    // On moving to another DAT record the edits show the fields of its irradiation.
    long long id = -1;
    if (view_ && view_->Active()) id = view_->GetBookmark().value_or(-1);
    const bool moved = id != shownRecordId_;
    shownRecordId_ = id;
    if (kind_ == TRecordKind::Dat && moved) {
        for (int i = 0; i < 3; ++i)
            if (on[i]) {
                SetIrradiationFields(static_cast<TRadiation>(i));
                break;
            }
    }
}

void TRecordForm::OnRadiationClicked(TRadiation radiation) {
    if (kind_ == TRecordKind::Dat) {
        UpdateRadiationButtons();
        SetIrradiationFields(radiation);
        return;
    }
    if (kind_ == TRecordKind::Sad && view_ && view_->Active() && view_->RecNo() >= 0) {
        const std::string letter(1, kRadiationLetter[static_cast<int>(radiation)]);
        if (view_->AsString("Irradiator") != letter) {
            try {
                const TRecordsChange change(document_, QStringLiteral("Edit Irradiator"),
                                            {view_->GetBookmark().value_or(0)});
                view_->Edit();
                view_->SetAsString("Irradiator", letter);
                view_->Post();
                emit recordEdited();
            } catch (const std::exception& e) {
                if (view_->State() != TDataSetState::Browse) view_->Cancel();
                emit entryFailed(QString::fromStdString(e.what()));
            }
        }
    }
    Refresh();
}

void TRecordForm::StoreEntry(TFieldControl& c, const QString& text) {
    if (refreshing_ || !HasField(c.field) || view_->RecNo() < 0) return;
    try {
        const TRecordsChange change(document_, QStringLiteral("Edit ") + c.field,
                                    {view_->GetBookmark().value_or(0)});
        const auto outcome =
            presentation::ApplyEntry(*view_, kind_, c.field.toStdString(), text.toStdString(),
                                     booleans_, locale_);
        if (outcome == presentation::TEntryOutcome::Stored) emit recordEdited();
    } catch (const std::exception& e) {
        emit entryFailed(QString::fromStdString(e.what()));
    }
    Refresh();
}

void TRecordForm::Refresh() {
    AdaptToRecord();
    for (TFieldControl* c : controls_) RefreshControl(*c);
    UpdateRadiationButtons();
}

QString TRecordForm::ShownText(const QString& field) const {
    for (const TFieldControl* c : controls_) {
        if (c->field != field || !c->shown) continue;
        if (c->edit) return c->edit->text();
        if (c->display) return c->display->text();
        if (c->check) return c->check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    }
    return {};
}

bool TRecordForm::FieldShown(const QString& field) const {
    for (const TFieldControl* c : controls_) {
        if (c->field != field) continue;
        QWidget* w = c->edit      ? static_cast<QWidget*>(c->edit)
                     : c->display ? static_cast<QWidget*>(c->display)
                                  : c->check;
        return c->shown && w && !w->isHidden() && !w->parentWidget()->isHidden();
    }
    return false;
}

bool TRecordForm::GroupShown(const QString& title) const {
    const QGroupBox* g = groups_.value(title);
    return g && !g->isHidden();
}

bool TRecordForm::CaptionShown(const QString& caption) const {
    for (const QLabel* l : captions_)
        if (l->text() == caption && !l->isHidden() && !l->parentWidget()->isHidden()) return true;
    return false;
}

bool TRecordForm::RadiationChecked(TRadiation radiation) const {
    const QRadioButton* radios[] = {alpha_, beta_, gamma_};
    return radios[static_cast<int>(radiation)]->isChecked();
}

QStringList TRecordForm::IrradiationFields() const {
    return {irrad_[0]->field, irrad_[1]->field, irrad_[2]->field, irrad_[3]->field};
}

QLineEdit* TRecordForm::EditOf(const QString& field) const {
    for (const TFieldControl* c : controls_)
        if (c->field == field && c->edit) return c->edit;
    return nullptr;
}

bool TRecordForm::EnterText(const QString& field, const QString& text) {
    for (TFieldControl* c : controls_) {
        if (c->field == field && (c->edit || c->check)) {
            StoreEntry(*c, text);
            return true;
        }
    }
    return false;
}

void TRecordForm::ClickRadiation(TRadiation radiation) {
    QRadioButton* radios[] = {alpha_, beta_, gamma_};
    radios[static_cast<int>(radiation)]->click();
}
