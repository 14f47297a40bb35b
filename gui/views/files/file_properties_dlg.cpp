#include "gui/views/files/file_properties_dlg.h"

#include <QCheckBox>
#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "core/files/file_properties.h"
#include "core/res/resource_ids.h"
#include "core/res/strings.h"

namespace {

const QColor kBlue(0, 0, 255);

QFont DialogFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(11);
    return font;
}

QString FromLocal(const std::string& text) {
    return QFile::decodeName(QByteArray::fromStdString(text));
}

QString Text(const char* text) {
    return QString::fromUtf8(text);
}

}  // namespace

// The dialog unit of a font: a quarter of its average character width across, an eighth of its
// height down, the average taken over the 52 letters.
QPoint CFilePropertiesDlg::DialogUnitsToPixels(int x, int y) {
    const QFontMetrics metrics(DialogFont());
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int baseX = (letters / 26 + 1) / 2;
    const int baseY = metrics.height();
    return QPoint((x * baseX + 2) / 4, (y * baseY + 4) / 8);
}

QRect CFilePropertiesDlg::Place(int x, int y, int w, int h) const {
    const QPoint topLeft = DialogUnitsToPixels(x, y);
    const QPoint bottomRight = DialogUnitsToPixels(x + w, y + h);
    return QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
}

QLabel* CFilePropertiesDlg::AddStatic(const QString& text, int id, int x, int y, int w, int h,
                                      bool sunken) {
    auto* label = new QLabel(text, this);
    label->setGeometry(Place(x, y, w, h));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (sunken) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kBlue);
    label->setPalette(palette);
    if (id) {
        label->setProperty("controlId", id);
        label->setObjectName(QStringLiteral("control%1").arg(id));
    }
    return label;
}

QCheckBox* CFilePropertiesDlg::AddCheck(const char* text, int id, int x, int y, int w, int h) {
    auto* box = new QCheckBox(Text(text), this);
    box->setGeometry(Place(x, y, w, h));
    box->setEnabled(false);
    box->setProperty("controlId", id);
    box->setObjectName(QStringLiteral("control%1").arg(id));
    return box;
}

void CFilePropertiesDlg::AddRule(int x, int y, int w, int h) {
    auto* rule = new QFrame(this);
    rule->setObjectName(QStringLiteral("rule"));
    rule->setGeometry(Place(x, y, w, h));
    rule->setFrameStyle(QFrame::Box | QFrame::Plain);
    rule->setLineWidth(1);
    QPalette palette = rule->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    rule->setPalette(palette);
}

CFilePropertiesDlg::CFilePropertiesDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("filePropertiesDialog"));
    setWindowTitle(Text(text::kPropertiesTitle));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont());
    setModal(true);
    const QPoint size = DialogUnitsToPixels(219, 219);
    setFixedSize(size.x(), size.y());

    m_name = AddStatic({}, res::IDC_PROP_NAME, 14, 18, 131, 8, false);
    AddStatic(Text(text::kPropType), 0, 7, 33, 31, 8, false);
    m_kind = AddStatic({}, res::IDC_PROP_KIND, 43, 32, 129, 10, true);
    AddStatic(Text(text::kPropLocation), 0, 7, 50, 36, 8, false);
    m_location = AddStatic({}, res::IDC_PROP_LOCATION, 43, 49, 129, 10, true);
    AddStatic(Text(text::kPropSize), 0, 7, 67, 31, 8, false);
    m_size = AddStatic({}, res::IDC_PROP_SIZE, 44, 66, 129, 10, true);
    AddRule(15, 80, 180, 3);
    AddStatic(Text(text::kPropDosName), 0, 7, 90, 50, 8, false);
    m_dosName = AddStatic({}, res::IDC_PROP_DOSNAME, 67, 88, 110, 10, true);
    AddStatic(Text(text::kPropBuildDate), 0, 7, 104, 46, 8, false);
    m_created = AddStatic({}, res::IDC_PROP_CREATED, 67, 101, 110, 10, true);
    AddStatic(Text(text::kPropChangeDate), 0, 7, 117, 49, 8, false);
    m_modified = AddStatic({}, res::IDC_PROP_MODIFIED, 67, 114, 110, 10, true);
    AddStatic(Text(text::kPropUsedDate), 0, 6, 130, 42, 8, false);
    m_accessed = AddStatic({}, res::IDC_PROP_ACCESSED, 67, 129, 110, 10, true);
    AddRule(16, 144, 180, 3);
    AddStatic(Text(text::kPropAttribute), 0, 7, 155, 34, 8, false);
    m_readOnly = AddCheck(text::kPropReadOnly, res::IDC_PROP_READONLY, 57, 154, 46, 10);
    m_hidden = AddCheck(text::kPropHidden, res::IDC_PROP_HIDDEN, 125, 154, 30, 10);
    m_archive = AddCheck(text::kPropArchive, res::IDC_PROP_ARCHIVE, 57, 172, 47, 10);
    m_system = AddCheck(text::kPropSystem, res::IDC_PROP_SYSTEM, 126, 171, 56, 10);

    auto* ok = new QPushButton(Text(text::kOK), this);
    ok->setObjectName(QStringLiteral("control%1").arg(res::IDOK));
    ok->setGeometry(Place(23, 198, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(Text(text::kCancel), this);
    cancel->setObjectName(QStringLiteral("control%1").arg(res::IDCANCEL));
    cancel->setGeometry(Place(82, 198, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    DoDataExchange();
}

void CFilePropertiesDlg::SetFiles(const std::vector<FileEntry>& files) {
    if (files.empty()) return;
    const FilePropertiesText shown = DescribeFiles(files);
    m_bArchive = shown.archive;
    m_bHidden = shown.hidden;
    m_bReadOnly = shown.readOnly;
    m_bSystem = shown.system;
    m_strCreated = shown.created;
    m_strDosName = shown.dosName;
    m_strSize = shown.size;
    m_strKind = shown.kind;
    m_strAccessed = shown.accessed;
    m_strModified = shown.modified;
    m_strName = shown.name;
    m_strLocation = shown.location;
    DoDataExchange();
}

void CFilePropertiesDlg::DoDataExchange() {
    m_archive->setChecked(m_bArchive != 0);
    m_hidden->setChecked(m_bHidden != 0);
    m_readOnly->setChecked(m_bReadOnly != 0);
    m_system->setChecked(m_bSystem != 0);
    m_created->setText(FromLocal(m_strCreated));
    m_dosName->setText(FromLocal(m_strDosName));
    m_size->setText(FromLocal(m_strSize));
    m_kind->setText(FromLocal(m_strKind));
    m_accessed->setText(FromLocal(m_strAccessed));
    m_modified->setText(FromLocal(m_strModified));
    m_name->setText(FromLocal(m_strName));
    m_location->setText(FromLocal(m_strLocation));
}
