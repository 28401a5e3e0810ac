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
    const QString names[MillingStageCount] = {
        T("Erstelle Segmente", "Create segments", "Créer les segments"),
        T("Berechne Vektoren", "Calculate vectors", "Calculer les vecteurs"),
        T("Erstelle Vektorliste", "Create vector list", "Créer la liste des vecteurs"),
        T("Erstelle Umrisse", "Create outlines", "Créer les contours"),
        T("Optimiere Umrisse", "Optimize outlines", "Optimiser les contours")};
    auto* layout = new QVBoxLayout(this);
    for (std::size_t i = 0; i < stages_.size(); ++i) {
        stages_[i] = new QLabel(names[i], this);
        layout->addWidget(stages_[i]);
    }
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    layout->addWidget(bar_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QDialogButtonBox::Cancel)->setText(T("&Abbrechen", "&Cancel", "&Annuler"));
    connect(buttons, &QDialogButtonBox::rejected, this, &TUmrissProgress::cancel);
    layout->addWidget(buttons);
    timer_ = new QTimer(this);
    timer_->setInterval(50);
    connect(timer_, &QTimer::timeout, this, &TUmrissProgress::poll);
}

void TUmrissProgress::cancel()
{
    progress_.cancel = true;
}

void TUmrissProgress::reject()
{
    // Escape and the close button cancel as the button does; the window closes once the
    // computation has stopped.
    cancel();
}

void TUmrissProgress::poll()
{
    const int stage = progress_.stage;
    if (stage != shownStage_) {
        for (std::size_t i = 0; i < stages_.size(); ++i) {
            QFont f = stages_[i]->font();
            f.setBold(static_cast<int>(i) + 1 == stage);
            stages_[i]->setFont(f);
        }
        shownStage_ = stage;
    }
    const int total = progress_.total;
    bar_->setRange(0, total > 0 ? total : 1);
    bar_->setValue(std::min(progress_.done.load(), total > 0 ? total : 1));
}

std::optional<MillingJobResult> TUmrissProgress::run(const MillingJob& job)
{
    progress_.cancel = false;
    progress_.stage = 0;
    std::optional<MillingJobResult> result;
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            result = RunMillingJob(job, &progress_);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    show();
    timer_->start();
    poll();
    // The window is modal: the rest of the program takes no input meanwhile, while the cancel
    // button does. The worker's quit arrives through the queue, so it is not lost even when the
    // computation ends before the loop starts.
    loop.exec();
    worker.join();
    timer_->stop();
    hide();
    if (failure)
        std::rethrow_exception(failure);
    if (progress_.cancel)
        return std::nullopt;
    return result;
}

} // namespace trevok
