#pragma once
// The dialog "Change raw intensity": the factor by which the raw curves of the selected
// records are multiplied (above 0, at most 100; "Multiply" is offered only then). The factor
// keeps its value for the next use.
#include <QDialog>

class QDoubleSpinBox;
class QPushButton;

class TSecretNormDlg : public QDialog {
    Q_OBJECT

public:
    explicit TSecretNormDlg(QWidget* parent = nullptr);
    double Factor() const;

signals:
    void helpRequested();

private:
    QDoubleSpinBox* factor_ = nullptr;
    QPushButton* multiply_ = nullptr;
};
