#pragma once
#include <QDialog>
#include <string>
#include <vector>

#include "core/files/file_entry.h"

class QCheckBox;
class QLabel;

// The properties of the files selected in the file list: name, kind, folder, size, dates and
// attributes of one file, or the count, folder and total size of several. It only shows them:
// the attribute boxes are disabled and OK and Cancel both just close it.
class CFilePropertiesDlg : public QDialog {
    Q_OBJECT
public:
    explicit CFilePropertiesDlg(QWidget* parent = nullptr);

    // Called once before the dialog is shown, with the caller's own copies of the entries, top
    // row first; the dialog keeps no reference to them.
    void SetFiles(const std::vector<FileEntry>& files);

    // Dialog units of the dialog's font, in pixels (x across, y down).
    static QPoint DialogUnitsToPixels(int x, int y);

    int m_bArchive = 0;
    int m_bHidden = 0;
    int m_bReadOnly = 0;
    int m_bSystem = 0;
    std::string m_strCreated;
    std::string m_strDosName;
    std::string m_strSize;
    std::string m_strKind;
    std::string m_strAccessed;
    std::string m_strModified;
    std::string m_strName;
    std::string m_strLocation;

private:
    void DoDataExchange();
    QLabel* AddStatic(const QString& text, int id, int x, int y, int w, int h, bool sunken);
    QCheckBox* AddCheck(const char* text, int id, int x, int y, int w, int h);
    void AddRule(int x, int y, int w, int h);
    QRect Place(int x, int y, int w, int h) const;

    QCheckBox* m_archive = nullptr;
    QCheckBox* m_hidden = nullptr;
    QCheckBox* m_readOnly = nullptr;
    QCheckBox* m_system = nullptr;
    QLabel* m_created = nullptr;
    QLabel* m_dosName = nullptr;
    QLabel* m_size = nullptr;
    QLabel* m_kind = nullptr;
    QLabel* m_accessed = nullptr;
    QLabel* m_modified = nullptr;
    QLabel* m_name = nullptr;
    QLabel* m_location = nullptr;
};
