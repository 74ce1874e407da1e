#include "about/frmAbout.h"

#include "about/BrindletIcon.h"
#include "components/core/EventBoundary.h"
#include "components/core/Twips.h"
#include "components/desktop/App.h"
#include "components/forms/Fonts.h"
#include "components/forms/Forms.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace {

QLabel *label(QWidget *window, const char *name, const char *text)
{
    auto *label = new QLabel(QString::fromLatin1(text), window);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

}  // namespace

frmAbout::frmAbout()
    : picIcon(label(this, "picIcon", ""))
    , lblTitle(label(this, "lblTitle", "Application Title"))
    , lblVersion(label(this, "lblVersion", "Version"))
    , lblDescription(label(this, "lblDescription", "App Description"))
    , lblDisclaimer(label(this, "lblDisclaimer", "Warning: ..."))
    , cmdOK(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    Forms::Load(this);
    buildControls();
    Events::Raise(this, EVENT_HANDLER(frmAbout::Form_Load));
}

void frmAbout::buildControls()
{
    setWindowTitle(QStringLiteral("About MyApp"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFont(DesignFont(QStringLiteral("Sans Serif"), 8.25));
    setFixedSize(Twips::ToPixelsX(5730), Twips::ToPixelsY(3555));
    // Black texts on a light box, as its etched rule is drawn for, whatever
    // the desktop's theme; a theme may colour buttons and labels on its own.
    const QPalette light(QColor(240, 240, 240));
    setPalette(light);
    for (QWidget *control : findChildren<QWidget *>())
        control->setPalette(light);

    picIcon->setPixmap(BrindletIcon());
    picIcon->setAccessibleName(QStringLiteral("Brindlet icon"));
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setAlignment(Qt::AlignCenter);
    Twips::Place(picIcon, 240, 240, 540, 540);
    Twips::Place(lblTitle, 1050, 240, 3885, 480);
    Twips::Place(lblVersion, 1050, 780, 3885, 225);
    Twips::Place(lblDescription, 1050, 1125, 3885, 1170);
    Twips::Place(lblDisclaimer, 255, 2625, 3870, 825);

    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    Twips::Place(cmdOK, 4245, 3120, 1260, 345);
    cmdOK->setFocus();
    Events::Connect(cmdOK, &QPushButton::clicked, this, EVENT_HANDLER(frmAbout::cmdOK_Click));
}

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + App::Title());
    lblVersion->setText(QStringLiteral("Version %1.%2.%3").arg(App::Major).arg(App::Minor).arg(App::Revision));
    lblTitle->setText(App::Title());
    lblDescription->setText(App::Title() + QStringLiteral(" is a chat program"));
}

// Closes and destroys the box, as Escape and the title bar's close box do.
void frmAbout::cmdOK_Click()
{
    accept();
}

// The etched rule between the texts and the disclaimer: a grey line with a
// white one under it.
void frmAbout::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    using namespace Twips;
    QPainter painter(this);
    painter.fillRect(ToPixelsX(90), ToPixelsY(2445), ToPixelsX(5654 - 90) + 1, 1, QColor(128, 128, 128));
    painter.fillRect(ToPixelsX(105), ToPixelsY(2460), ToPixelsX(5654 - 105) + 1, 2, Qt::white);
}
