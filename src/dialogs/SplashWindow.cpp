#include "SplashWindow.h"

#include "controls/BlinkLabel.h"
#include "controls/ProgramPicture.h"
#include "core/UserInterface.h"
#include "dialogs/Copyright.h"
#include "dialogs/CopyrightNotice.h"
#include "dialogs/FormFont.h"
#include "util/SettingKeys.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace lh {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("SplashWindow"));
    setWindowTitle(QString::fromUtf8(kApplicationTitle));
    setWindowIcon(ProgramIcon());
    setFont(FormFont());
    setFixedSize(354, 135);
    setCursor(Qt::WaitCursor);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("panel"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(rect());

    auto* group = new QGroupBox(panel);
    group->setObjectName(QStringLiteral("frame"));
    group->setGeometry(8, 4, 337, 89);

    auto* picture = new QLabel(group);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setGeometry(8, 16, 32, 32);
    picture->setPixmap(ProgramPixmap());

    auto* title = new BlinkLabel(group);
    title->setObjectName(QStringLiteral("titleLabel"));
    title->SetAutoSize(false);
    title->setGeometry(51, 11, 278, 30);
    title->setFont(FormFont(24));
    title->SetBlinkRate(0);
    title->Shadow()->SetOffsetLeft(2);
    title->Shadow()->SetOffsetTop(2);
    title->SetCaption(QString::fromUtf8(kApplicationTitle));

    auto* version = new BlinkLabel(group);
    version->setObjectName(QStringLiteral("versionLabel"));
    version->SetAutoSize(false);
    version->setGeometry(61, 39, 268, 18);
    version->Shadow()->SetOffsetLeft(1);
    version->Shadow()->SetOffsetTop(1);
    version->SetCaption(QString::fromUtf8(keys::kToolVersion));

    AddCopyrightNotice(group, kCopyrightLine1, 165, 55)
        ->setObjectName(QStringLiteral("copyrightLine1"));
    AddCopyrightNotice(group, kCopyrightLine2, 165, 71)
        ->setObjectName(QStringLiteral("copyrightLine2"));

    auto* freeUse = new QLabel(QString::fromUtf8(kFreeUseLine), panel);
    freeUse->setObjectName(QStringLiteral("freeUseLabel"));
    freeUse->setGeometry(8, 115, 337, 16);
    freeUse->setAlignment(Qt::AlignCenter);
    QFont bold = font();
    bold.setBold(true);
    freeUse->setFont(bold);
    QPalette black = freeUse->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    freeUse->setPalette(black);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
}

void SplashWindow::closeEvent(QCloseEvent* event) {
    if (event->spontaneous())
        event->ignore();
    else
        QWidget::closeEvent(event);
}

} // namespace lh
