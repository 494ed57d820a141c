#include "widgets/fontmenu.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListView>
#include <QStyle>
#include <QStyleOptionComboBox>

#include "widgets/colorpanel.h"

FontMenu::FontMenu(QWidget* parent)
    : EditMenu(parent)
{
    layout()->setSpacing(3);
    layout()->setContentsMargins(5, 0, 0, 0);

    const QFontDatabase db;
    family_ = makeBox(125, QStringLiteral("Sans Serif"));
    family_->addItems(db.families());
    const int preferred = family_->findText(QStringLiteral("宋体"));
    if (preferred >= 0)
        family_->setCurrentIndex(preferred);
    addWidget(family_);

    style_ = makeBox(100, QStringLiteral("Regular"));
    fillStyles(family_->currentText());
    addWidget(style_);

    size_ = makeBox(80, QStringLiteral("72"));
    for (int s : QFontDatabase::standardSizes())
        size_->addItem(QString::number(s));
    const int sixteen = size_->findText(QStringLiteral("16"));
    if (sixteen >= 0)
        size_->setCurrentIndex(sixteen);
    addWidget(size_);

    addSeparator();
    panel_ = new ColorPanel(this);
    addWidget(panel_);

    pen_ = QPen(panel_->color());

    connect(family_, &QComboBox::currentTextChanged, this, [this](const QString& family) {
        fillStyles(family);
        emit changed();
    });
    connect(style_, &QComboBox::currentTextChanged, this, &EditMenu::changed);
    connect(size_, &QComboBox::currentTextChanged, this, &EditMenu::changed);
    connect(panel_, &ColorPanel::changed, this, [this](QColor c) {
        pen_.setColor(c);
        emit changed();
    });
}

QComboBox* FontMenu::makeBox(int width, const QString& sample)
{
    auto box = new QComboBox(this);
    // A large font (a high Xft.dpi) would be cut off in the usual size.
    QStyleOptionComboBox option;
    option.initFrom(box);
    const QFontMetrics metrics = box->fontMetrics();
    const QSize text(metrics.horizontalAdvance(sample), metrics.height());
    const QSize needed = box->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, box);
    box->setFixedSize(needed.expandedTo(QSize(width, height_ - 6)));
    if (box->height() + 6 > height_) {
        height_ = box->height() + 6;
        setFixedHeight(height_);
    }
    box->setView(new QListView(box));
    box->view()->window()->setWindowFlag(Qt::NoDropShadowWindowHint, true);
    return box;
}

void FontMenu::fillStyles(const QString& family)
{
    // One change for the whole refill, not one per style.
    const bool blocked = style_->blockSignals(true);
    style_->clear();
    style_->addItems(QFontDatabase().styles(family));
    // Plain text by default; the database often lists bold italic first.
    for (const char* plain : { "Regular", "Normal", "Book", "Roman", "Medium" }) {
        const int i = style_->findText(QString::fromLatin1(plain));
        if (i >= 0) {
            style_->setCurrentIndex(i);
            break;
        }
    }
    style_->blockSignals(blocked);
}

QFont FontMenu::font() const
{
    QFont font;
    font.setFamily(family_->currentText());
    font.setStyleName(style_->currentText());
    const int px = size_->currentText().toInt();
    if (px > 0)
        font.setPixelSize(px);
    return font;
}
