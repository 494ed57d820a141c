#pragma once

#include <QPoint>
#include <QWidget>

class QLabel;
class IconButton;

// The title bar of a frameless window: logo, title and a close button. It
// reports drags with the left button as deltas; the window moves itself.
class TitleBar : public QWidget
{
    Q_OBJECT
public:
    explicit TitleBar(QWidget* parent = nullptr);

    QLabel* titleLabel() const { return title_; }
    IconButton* closeButton() const { return close_; }

signals:
    void close();
    void maximize();
    void minimize();
    void normal();
    void moved(QPoint delta);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* logo_ = nullptr;
    QLabel* title_ = nullptr;
    IconButton* close_ = nullptr;
    int lastX_ = 0;
    int lastY_ = 0;
    bool dragging_ = false;
};
