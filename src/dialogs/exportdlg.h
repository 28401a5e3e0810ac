#pragma once
// "Bitmap-Export (alle sichtbaren Layer)": resolution and colour of an image of the board, with
// its size in pixels and the memory it needs. The GIF variant is always in colour and shows no
// memory line. Made for each use.

#include <QDialog>

#include <cstdint>
#include <functional>

class QLabel;
class QRadioButton;
class QSlider;

namespace trevok
{

class TExportDlg : public QDialog
{
    Q_OBJECT
  public:
    enum class Kind { Bitmap, Gif, Png };
    /// boardWidth, boardHeight: the board size in units.
    TExportDlg(std::int32_t boardWidth, std::int32_t boardHeight, Kind kind, QWidget* parent = nullptr);

    int dpi() const;
    bool colour() const;
    /// The estimate the warning is judged by, in kB.
    std::int64_t memoryKb() const;

    /// Asks whether to go on with a large image (Yes/No box); tests answer instead.
    std::function<bool(const QString& text)> confirmLarge;

    /// The warning text of a large bitmap in the current language.
    static QString largeBitmapWarning();

    void accept() override;

  private:
    void recalculate();

    std::int32_t width_;
    std::int32_t height_;
    Kind kind_;
    QSlider* trackBar_ = nullptr;
    QLabel* dpiLabel_ = nullptr;
    QLabel* pixelLabel_ = nullptr;
    QLabel* memoryLabel_ = nullptr;
    QRadioButton* colour_ = nullptr;
    QRadioButton* mono_ = nullptr;
};

} // namespace trevok
