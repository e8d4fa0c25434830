#pragma once
// The record form of "Halcyon files" mode: fixed groups of labelled fields of the current
// record of the DAT, SAD or DAS view, adapting to the file kind and to TL or OSL records,
// with the irradiation selector.
#include <QMap>
#include <QString>
#include <QWidget>

#include "record_store/presentation_conversions.h"
#include "record_store/presentation_record.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class TBinDataSet;
class TEditorDocument;

class TRecordForm : public QWidget {
    Q_OBJECT

public:
    enum class TRadiation { Alpha, Beta, Gamma };

    explicit TRecordForm(QWidget* parent = nullptr);
    ~TRecordForm() override;

    // Binds the form to a view (null: the form shows nothing) and adapts it to the kind.
    void SetView(TBinDataSet* view, TRecordKind kind);
    TBinDataSet* View() const { return view_; }
    // Edits go onto the document's undo stack (none: they are made without undo).
    void SetDocument(TEditorDocument* document) { document_ = document; }
    void SetBooleanTexts(const presentation::TBooleanTexts& texts);
    void SetTextLocale(const presentation::TTextLocale& locale) { locale_ = locale; }
    // Re-reads the current record; adapts to TL or OSL records (DAT and SAD views).
    void Refresh();

    // --- Inspection (tests and other editor parts) ---
    // The text a field's control shows; empty when the field has no shown control.
    QString ShownText(const QString& field) const;
    bool FieldShown(const QString& field) const;
    bool GroupShown(const QString& title) const;
    bool CaptionShown(const QString& caption) const;
    bool RadiationChecked(TRadiation radiation) const;
    // The fields the four irradiation edits show: source, time, rate, unit.
    QStringList IrradiationFields() const;
    QLineEdit* EditOf(const QString& field) const;
    // Types a text into a field's edit as the user would, and stores it.
    bool EnterText(const QString& field, const QString& text);
    // Clicks a radiation button.
    void ClickRadiation(TRadiation radiation);

signals:
    void recordEdited();
    void entryFailed(const QString& message);

private:
    struct TFieldControl {
        QString field;
        QLabel* caption = nullptr;
        QLineEdit* edit = nullptr;   // editable text
        QLabel* display = nullptr;   // read-only text
        QCheckBox* check = nullptr;  // boolean
        bool shown = true;           // adapted visibility
    };

    TFieldControl& AddEdit(QWidget* group, const QString& field, const QString& caption,
                           bool readOnly = false);
    TFieldControl& AddCheck(QWidget* group, const QString& field, const QString& caption);
    void BuildIrradiationGroup();
    void AdaptToKind();
    void AdaptToRecord();
    void ShowControl(TFieldControl& c, bool show);
    void SetIrradiationFields(TRadiation radiation);
    void UpdateRadiationButtons();
    void OnRadiationClicked(TRadiation radiation);
    void StoreEntry(TFieldControl& c, const QString& text);
    QString ShownTextOf(const QString& field, bool forEdit) const;
    QString DisplayTextOf(const QString& field) const;
    QString EditTextOf(const QString& field) const;
    bool HasField(const QString& field) const;
    void RefreshControl(TFieldControl& c);

    TBinDataSet* view_ = nullptr;
    TEditorDocument* document_ = nullptr;
    TRecordKind kind_ = TRecordKind::Dat;
    presentation::TBooleanTexts booleans_;
    presentation::TTextLocale locale_;
    bool refreshing_ = false;
    long long shownRecordId_ = -1;  // the record whose irradiation the edits show

    QList<TFieldControl*> controls_;
    QMap<QString, QGroupBox*> groups_;
    QList<QLabel*> captions_;
    QLabel* powerCaption_ = nullptr;
    QGroupBox* generalGroup_ = nullptr;
    QGroupBox* bleachGroup_ = nullptr;
    QGroupBox* remarkGroup_ = nullptr;
    QGroupBox* deviceGroup_ = nullptr;
    QGroupBox* curveGroup_ = nullptr;
    QGroupBox* irradiationGroup_ = nullptr;
    QRadioButton* alpha_ = nullptr;
    QRadioButton* beta_ = nullptr;
    QRadioButton* gamma_ = nullptr;
    // The four irradiation edits: source, time, rate, unit; then the date.
    TFieldControl* irrad_[4] = {};
    TFieldControl* irradDate_ = nullptr;
    TFieldControl* rampPlace_ = nullptr;  // "Ramp", or "Power" in the SAD view
};
