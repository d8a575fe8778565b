#include "app/TipDialog.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/LinkLabel.h"
#include "recorder/DriveReport.h"
#include "resources/BurnSessionTexts.h"

namespace quillstar {

namespace {

constexpr int kPictureSize = 96;
constexpr int kTextWidth = 420;

const burnsession::Tip* FindTip(int tipId)
{
    for (const burnsession::Tip& tip : burnsession::kTips) {
        if (tip.id == tipId)
            return &tip;
    }
    return nullptr;
}

}  // namespace

TipDialog::TipDialog(int tipId, QWidget* parent) : QDialog(parent), tipId_(tipId)
{
    setObjectName(QStringLiteral("Tip%1").arg(tipId));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    const burnsession::Tip* tip = FindTip(tipId);

    auto* picture = new QLabel(this);
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    textColumn_ = new QVBoxLayout;
    textColumn_->setSpacing(2);
    if (tip) {
        setWindowTitle(QString::fromUtf8(tip->caption));
        picture->setPixmap(
            QIcon(QString::fromLatin1(tip->picture)).pixmap(QSize(kPictureSize, kPictureSize), devicePixelRatioF()));
        AddParagraph(QString::fromUtf8(tip->text));
    }
    if (tipId == burnsession::IDD_TIP_NO_DRIVES)
        AddNoDrivesText();
    textColumn_->addStretch(1);

    auto* close = new QPushButton(QString::fromUtf8(burnsession::kCloseButton), this);
    close->setObjectName(QStringLiteral("Close"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    auto* body = new QHBoxLayout;
    body->setSpacing(16);
    body->addWidget(picture);
    body->addLayout(textColumn_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body);
    layout->addWidget(close, 0, Qt::AlignRight);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel* TipDialog::AddParagraph(const QString& text)
{
    auto* paragraph = new QLabel(text, this);
    paragraph->setTextFormat(Qt::PlainText);
    paragraph->setWordWrap(true);
    paragraph->setFixedWidth(kTextWidth);
    paragraph->setTextInteractionFlags(Qt::TextSelectableByMouse);
    textColumn_->addWidget(paragraph);
    return paragraph;
}

void TipDialog::AddNoDrivesText()
{
    auto* linkRow = new QHBoxLayout;
    linkRow->setSpacing(0);
    const auto addWords = [this, linkRow](const char* words) {
        auto* label = new QLabel(QString::fromUtf8(words), this);
        label->setTextFormat(Qt::PlainText);
        linkRow->addWidget(label);
    };
    addWords(burnsession::kNoDrivesBeforeLink);
    linkRow->addSpacing(4);
    emailLink_ = new LinkLabel(QString::fromUtf8(burnsession::kEmailUsText),
                               QString::fromUtf8(burnsession::kSupportMailUrl), this);
    emailLink_->setObjectName(QStringLiteral("EmailUs"));
    emailLink_->SetUnderline(LinkLabel::Underline::Always);
    linkRow->addWidget(emailLink_);
    linkRow->addSpacing(4);
    addWords(burnsession::kNoDrivesAfterLink);
    linkRow->addStretch(1);
    textColumn_->addLayout(linkRow);

    const QString reportPath = QString::fromStdString(DriveReport::Path());
    AddParagraph(QString::fromUtf8(burnsession::kNoDrivesLastLine).arg(reportPath));
}

void TipDialog::SetNotice(const QString& notice)
{
    if (!notice_) {
        textColumn_->insertSpacing(textColumn_->count() - 1, 10);
        notice_ = new QLabel(this);
        notice_->setObjectName(QStringLiteral("Notice"));
        notice_->setTextFormat(Qt::PlainText);
        notice_->setWordWrap(true);
        notice_->setFixedWidth(kTextWidth);
        notice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
        textColumn_->insertWidget(textColumn_->count() - 1, notice_);
    }
    notice_->setText(notice);
}

QString TipDialog::Text() const
{
    QStringList parts;
    for (int i = 0; i < textColumn_->count(); ++i) {
        QLayoutItem* item = textColumn_->itemAt(i);
        if (auto* label = qobject_cast<QLabel*>(item->widget())) {
            parts.append(label->text());
        } else if (QLayout* row = item->layout()) {
            QStringList words;
            for (int j = 0; j < row->count(); ++j) {
                if (auto* word = qobject_cast<QLabel*>(row->itemAt(j)->widget()))
                    words.append(word->text());
            }
            parts.append(words.join(QLatin1Char(' ')));
        }
    }
    return parts.join(QLatin1Char('\n'));
}

}  // namespace quillstar
