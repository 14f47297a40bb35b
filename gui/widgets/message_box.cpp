#include "gui/widgets/message_box.h"

#include <QMessageBox>
#include <QString>

#include "core/res/strings.h"

namespace {

MessageBox::Hook& TestHook() {
    static MessageBox::Hook hook;
    return hook;
}

std::string CaptionOrAppName(const std::string& caption) {
    return caption.empty() ? std::string(text::kAppName) : caption;
}

}  // namespace

std::unique_ptr<QMessageBox> MessageBox::Build(QWidget* parent, const std::string& text,
                                               const std::string& caption, Kind kind) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (kind) {
        case Plain:
            break;
        case Stop:
            icon = QMessageBox::Critical;
            break;
        case Question:
            icon = QMessageBox::Question;
            buttons = QMessageBox::Yes | QMessageBox::No;
            break;
    }
    auto box =
        std::make_unique<QMessageBox>(icon, QString::fromStdString(CaptionOrAppName(caption)),
                                      QString::fromStdString(text), buttons, parent);
    // Every question may destroy something: Enter, or a key pressed in haste, must not say yes.
    if (kind == Question) box->setDefaultButton(QMessageBox::No);
    return box;
}

int MessageBox::Show(QWidget* parent, const std::string& text, const std::string& caption,
                     Kind kind) {
    if (TestHook()) return TestHook()(Shown{text, CaptionOrAppName(caption), kind, parent});

    const std::unique_ptr<QMessageBox> box = Build(parent, text, caption, kind);
    switch (box->exec()) {
        case QMessageBox::Yes:
            return IdYes;
        case QMessageBox::No:
            return IdNo;
        case QMessageBox::Ok:
            return IdOk;
        default:
            return kind == Question ? IdNo : IdCancel;
    }
}

void MessageBox::SetTestHook(Hook hook) {
    TestHook() = std::move(hook);
}

ScriptedMessageBoxes::ScriptedMessageBoxes() {
    MessageBox::SetTestHook([this](const MessageBox::Shown& shown) {
        m_shown.push_back(shown);
        if (m_onShow) m_onShow(shown);
        if (!m_answers.empty()) {
            const int answer = m_answers.front();
            m_answers.erase(m_answers.begin());
            return answer;
        }
        return shown.kind == MessageBox::Question ? int(MessageBox::IdNo) : int(MessageBox::IdOk);
    });
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    MessageBox::SetTestHook({});
}
