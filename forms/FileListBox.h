#pragma once

#include <QListWidget>

namespace forms {

// A list of the file names in the current directory that match a pattern,
// as a file list box shows them.
class FileListBox : public QListWidget
{
    Q_OBJECT
    Q_PROPERTY(QString pattern READ pattern WRITE setPattern)
public:
    explicit FileListBox(QWidget *parent = nullptr);

    QString pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);
    void refresh();

private:
    QString m_pattern = QStringLiteral("*.*");
};

} // namespace forms
