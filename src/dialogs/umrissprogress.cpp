#include "dialogs/umrissprogress.h"
#include "dialogs/dialogbuttons.h"

#include "view/texts.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <thread>

namespace trevok
{

TUmrissProgress::TUmrissProgress(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("UmrissProgress"));
    setWindowTitle(T("Umrisserstellung", "Isolation outlines", "Création des contours"));
    setModal(true);
    KeepTitleVisible(this);
    const QString names[5] = {T("Erstelle Segmente", "Create segments", "Créer les segments"),
                              T("Berechne Vektoren", "Calculate vectors", "Calculer les vecteurs"),
                              T("Erstelle Vektorliste", "Create vector list", "Créer la liste des vecteurs"),
                              T("Erstelle Umrisse", "Create outlines", "Créer les contours"),
                              T("Optimiere Umrisse", "Optimize outlines", "Optimiser les contours")};
    auto* layout = new QVBoxLayout(this);
    for (std::size_t i = 0; i < 5; ++i) {
        mStages[i] = new QLabel(names[i], this);
        layout->addWidget(mStages[i]);
    }
    mBar = new QProgressBar(this);
    mBar->setTextVisible(false);
    layout->addWidget(mBar);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Cancel)->setText(T("&Abbrechen", "&Cancel", "&Annuler"));
    connect(buttons, &QDialogButtonBox::rejected, this, &TUmrissProgress::cancel);
    layout->addWidget(buttons);
    mTimer = new QTimer(this);
    mTimer->setInterval(50);
    connect(mTimer, &QTimer::timeout, this, &TUmrissProgress::poll);
}

void TUmrissProgress::cancel()
{
    mProgress.cancel = true;
}

void TUmrissProgress::reject()
{
    // Escape and the close button cancel as the button does; the window closes once the
    // computation has stopped.
    cancel();
}

void TUmrissProgress::poll()
{
    const int stage = mProgress.stage;
    if (stage != mShownStage) {
        for (std::size_t i = 0; i < 5; ++i) {
            QFont f = mStages[i]->font();
            f.setBold(static_cast<int>(i) + 1 == stage);
            mStages[i]->setFont(f);
        }
        mShownStage = stage;
    }
    const int total = mProgress.total;
    mBar->setRange(0, total > 0 ? total : 1);
    mBar->setValue(std::min(mProgress.done.load(), total > 0 ? total : 1));
}

std::optional<MillingJobResult> TUmrissProgress::run(const MillingJob& job)
{
    mProgress.cancel = false;
    mProgress.stage = 0;
    std::optional<MillingJobResult> result;
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            result = RunMillingJob(job, &mProgress);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    show();
    mTimer->start();
    poll();
    // The window is modal: the rest of the program takes no input meanwhile, while the cancel
    // button does. The worker's quit arrives through the queue, so it is not lost even when the
    // computation ends before the loop starts.
    loop.exec();
    worker.join();
    mTimer->stop();
    hide();
    if (failure)
        std::rethrow_exception(failure);
    if (mProgress.cancel)
        return std::nullopt;
    return result;
}

} // namespace trevok
