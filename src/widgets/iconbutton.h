#pragma once

#include <QPixmap>

#include "widgets/custombutton.h"

// A button showing its icon as a single-colour silhouette in the current
// foreground colour.
class IconButton : public CustomButton
{
    Q_OBJECT
public:
    IconButton(const QPixmap& icon, const QSize& size, const QSize& iconSize, bool checkable,
               QWidget* parent = nullptr);
    explicit IconButton(const QPixmap& icon, QWidget* parent = nullptr);

    QSize iconSize() const { return iconSize_; }

protected:
    void drawContent(QPainter* painter) override;

private:
    QPixmap icon_;
    QSize iconSize_;
};
