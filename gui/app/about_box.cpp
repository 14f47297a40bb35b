#include "gui/app/about_box.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "core/res/resource_ids.h"
#include "core/res/strings.h"
#include "gui/res/pictures.h"
#include "sonoret_version.h"

namespace {

// The dialog is laid out in dialog units of its own font, as its template has always been:
// a unit is a quarter of the font's average character width across, an eighth of its height
// down.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        const int alphabet = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        m_baseX = (alphabet / 26 + 1) / 2;
        m_baseY = metrics.height();
    }
    int X(int units) const { return units * m_baseX / 4; }
    int Y(int units) const { return units * m_baseY / 8; }
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(width), Y(height));
    }

private:
    int m_baseX = 1;
    int m_baseY = 1;
};

}  // namespace

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("CAboutBox"));
    setProperty("dialogId", res::IDD_ABOUTBOX);
    setWindowTitle(QString::fromLatin1(text::kAboutCaption));
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSize(9);
    setFont(font);
    const DialogUnits units(font);
    setFixedSize(units.X(235), units.Y(55));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(res::AppIcon().pixmap(32, 32));
    icon->setGeometry(QRect(QPoint(units.X(11), units.Y(17)), QSize(32, 32)));

    auto* name = new QLabel(QStringLiteral("%1 %2").arg(QString::fromLatin1(text::kMainTitle),
                                                        QString::fromLatin1(kSonoretVersion)),
                            this);
    name->setObjectName(QStringLiteral("line1"));
    name->setTextFormat(Qt::PlainText);
    name->setGeometry(units.Rect(40, 10, 119, 8));

    auto* second = new QLabel(QString::fromLatin1(text::kAboutLine2), this);
    second->setObjectName(QStringLiteral("line2"));
    second->setTextFormat(Qt::PlainText);
    second->setGeometry(units.Rect(40, 25, 119, 8));

    auto* ok = new QPushButton(QString::fromLatin1(text::kOK), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setProperty("controlId", res::IDOK);
    ok->setDefault(true);
    ok->setGeometry(units.Rect(178, 7, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
