#include "browse/PropertiesDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "browse/ShellTypeName.h"
#include "resources/BrowseTexts.h"

namespace quillstar {

PropertiesDialog::PropertiesDialog(const QString& path, QWidget* parent) : QDialog(parent)
{
    const QFileInfo info(QDir::cleanPath(path));
    const QString name = info.fileName().isEmpty() ? info.filePath() : info.fileName();
    setWindowTitle(QString::fromUtf8(browse::kPropertiesTitle).arg(name));

    auto* form = new QFormLayout;
    AddRow(form, browse::kPropertyName, name);
    const QString typedPath = info.isDir() ? info.filePath() + QLatin1Char('/') : info.filePath();
    AddRow(form, browse::kPropertyKind, ShellTypeName::Lookup(typedPath, info.isDir()));
    AddRow(form, browse::kPropertyLocation, info.absolutePath());
    if (info.isDir())
        AddRow(form, browse::kPropertyContents, ContentsText(info));
    else
        AddRow(form, browse::kPropertySize, SizeText(info));
    AddRow(form, browse::kPropertyModified, QLocale().toString(info.lastModified(), QLocale::LongFormat));
    AddRow(form, browse::kPropertyPermissions, PermissionsText(info));
    AddRow(form, browse::kPropertyOwner, info.owner() + QLatin1Char(':') + info.group());

    auto* buttons = new QDialogButtonBox;
    buttons->addButton(QString::fromUtf8(browse::kCloseText), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void PropertiesDialog::AddRow(QFormLayout* form, const char* label, const QString& value)
{
    auto* field = new QLabel(value);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QString::fromUtf8(label), field);
}

QString PropertiesDialog::SizeText(const QFileInfo& info)
{
    return QString::fromUtf8(browse::kSizeInBytesText)
        .arg(QLocale().formattedDataSize(info.size()), QLocale().toString(info.size()));
}

QString PropertiesDialog::ContentsText(const QFileInfo& info)
{
    const QDir folder(info.filePath());
    if (!folder.isReadable())
        return QString::fromUtf8(browse::kUnreadableText);
    const qsizetype count =
        folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted).size();
    return QString::fromUtf8(browse::kContentsText).arg(count);
}

QString PropertiesDialog::PermissionsText(const QFileInfo& info)
{
    const QFileDevice::Permissions p = info.permissions();
    QString text;
    const auto bit = [&text, p](QFileDevice::Permission flag, char letter) {
        text += (p & flag) ? QLatin1Char(letter) : QLatin1Char('-');
    };
    bit(QFileDevice::ReadOwner, 'r');
    bit(QFileDevice::WriteOwner, 'w');
    bit(QFileDevice::ExeOwner, 'x');
    bit(QFileDevice::ReadGroup, 'r');
    bit(QFileDevice::WriteGroup, 'w');
    bit(QFileDevice::ExeGroup, 'x');
    bit(QFileDevice::ReadOther, 'r');
    bit(QFileDevice::WriteOther, 'w');
    bit(QFileDevice::ExeOther, 'x');
    return text;
}

}  // namespace quillstar
