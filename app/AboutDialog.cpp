#include "app/AboutDialog.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "resources/MainWindowTexts.h"

namespace quillstar {

namespace {

constexpr int kPictureSize = 64;

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowTitle(QString::fromUtf8(mainwindow::kAboutCaption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* picture = new QLabel(this);
    picture->setPixmap(QIcon(QString::fromLatin1(mainwindow::kProgramIcon))
                           .pixmap(QSize(kPictureSize, kPictureSize), devicePixelRatioF()));
    picture->setAlignment(Qt::AlignTop);

    auto* version = new QLabel(QString::fromUtf8(mainwindow::kVersionLine), this);
    version->setObjectName(QStringLiteral("VersionLine"));
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);
    auto* about = new QLabel(QString::fromUtf8(mainwindow::kAboutText), this);

    auto* close = new QPushButton(QString::fromUtf8(mainwindow::kCloseText), this);
    close->setObjectName(QStringLiteral("Close"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(picture, 0, 0, 3, 1);
    layout->addWidget(version, 0, 1);
    layout->addWidget(about, 1, 1);
    layout->addWidget(close, 2, 1, Qt::AlignRight | Qt::AlignBottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace quillstar
