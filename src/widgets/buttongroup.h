#pragma once

#include <QObject>
#include <QVector>

class QAbstractButton;

// An exclusive group whose checked button can be unchecked again, leaving
// none checked (QButtonGroup does not allow that).
class ButtonGroup : public QObject
{
    Q_OBJECT
public:
    explicit ButtonGroup(QObject* parent = nullptr);

    void addButton(QAbstractButton* button);
    void uncheckAll();

    QAbstractButton* checkedButton() const { return checked_; }
    const QVector<QAbstractButton*>& buttons() const { return buttons_; }

signals:
    void buttonClicked(QAbstractButton* button);
    void buttonClicked(int id);
    void buttonToggled(QAbstractButton* button, bool checked);
    void uncheckedAll();

private:
    void toggled(QAbstractButton* button, bool on);

    QVector<QAbstractButton*> buttons_;
    QAbstractButton* checked_ = nullptr;
};
