#include "view/texts.h"

#include <atomic>

namespace trevok
{
namespace
{
std::atomic<int> gLanguage{1};
}

int CurrentLanguage() noexcept
{
    return gLanguage.load(std::memory_order_relaxed);
}

void SetCurrentLanguage(int language) noexcept
{
    gLanguage.store(language < 0 || language > 2 ? 1 : language, std::memory_order_relaxed);
}

namespace
{
TextObserver textObserver = nullptr;
} // namespace

void SetTextObserver(TextObserver observer) noexcept
{
    textObserver = observer;
}

QString T(int language, const char* de, const char* en, const char* fr)
{
    if (textObserver)
        textObserver(de, en, fr);
    const char* s = de;
    if (language == 1 && en)
        s = en;
    else if (language == 2 && fr)
        s = fr;
    return QString::fromUtf8(s);
}

QString T(const char* de, const char* en, const char* fr)
{
    return T(CurrentLanguage(), de, en, fr);
}

QString MessageQ(MsgId id, const std::vector<std::string>& args)
{
    return QString::fromStdString(MessageText(id, CurrentLanguage(), args));
}

QString CaptionQ(MsgId id)
{
    return QString::fromStdString(MessageCaption(id, CurrentLanguage()));
}

QString LayerCaption(int layer)
{
    static const char* const de[] = {"K1", "B1", "K2", "B2"};
    static const char* const other[] = {"C1", "S1", "C2", "S2"};
    if (layer < 1 || layer > 4)
        return QString::number(layer);
    return QString::fromLatin1(CurrentLanguage() == 0 ? de[layer - 1] : other[layer - 1]);
}

} // namespace trevok
