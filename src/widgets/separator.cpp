#include "widgets/separator.h"

Separator::Separator(QWidget* parent)
    : QFrame(parent)
{
    setFrameStyle(QFrame::NoFrame | QFrame::Raised);
    setFrameShape(QFrame::VLine);
    setFixedHeight(20);
}
