#pragma once
// "Umrisserstellung": the progress window of the isolation contours. The computation runs on a
// worker thread so that the window stays responsive; the window lists the five stages, shows the
// running one in bold with a progress bar, and can cancel the run.

#include "output/millingjob.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QLabel;
class QProgressBar;
class QTimer;

namespace trevok
{

class TUmrissProgress : public QDialog
{
    Q_OBJECT
  public:
    explicit TUmrissProgress(QWidget* parent = nullptr);

    /// Runs the milling job while the window is shown; nullopt when the user cancelled (nothing
    /// is kept or written). The board must not change meanwhile: the window is modal. The job's
    /// errors (TrevokError) are thrown here, on the window's thread.
    std::optional<MillingJobResult> run(const MillingJob& job);

    /// The stage labels and the bar, for tests.
    QLabel* stageLabel(int stage) const { return stages_[static_cast<std::size_t>(stage - 1)]; }
    QProgressBar* bar() const noexcept { return bar_; }
    /// Asks the running computation to stop, as the cancel button does.
    void cancel();
    /// Test seam: run on the worker thread as each stage starts (MillingProgress::onEnter).
    void setStageHook(std::function<void(int stage)> hook) { progress_.onEnter = std::move(hook); }

  protected:
    void reject() override;

  private:
    void poll();

    std::array<QLabel*, MillingStageCount> stages_{};
    QProgressBar* bar_;
    QTimer* timer_;
    MillingProgress progress_;
    int shownStage_ = 0;
};

} // namespace trevok
