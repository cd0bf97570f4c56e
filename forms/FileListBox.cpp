#include "FileListBox.h"

#include <QDir>

namespace forms {

FileListBox::FileListBox(QWidget *parent) : QListWidget(parent) {}

void FileListBox::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    refresh();
}

void FileListBox::refresh()
{
    clear();
    const QStringList filters = m_pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    addItems(QDir::current().entryList(filters, QDir::Files, QDir::Name | QDir::IgnoreCase));
}

} // namespace forms
