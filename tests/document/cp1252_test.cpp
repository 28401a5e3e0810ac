#include "document/cp1252.h"
#include "document/messages.h"

#include <gtest/gtest.h>

#include <array>

using namespace trevok;

TEST(Cp1252, RoundTripsEveryDefinedByte)
{
    for (int b = 1; b < 256; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
            continue;
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << b;
    }
    EXPECT_EQ(Cp1252ToUtf8("\x80\xE4"), "€ä");
    EXPECT_EQ(Utf8ToCp1252("Ω"), "?");
    EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?"); // cut-off sequence
}

TEST(Messages, ArgumentsAndLanguages)
{
    EXPECT_EQ(MessageText(MsgId::NotATrevokFile, 1, {"x.lay"}), "\"x.lay\" is not a Trevok file.");
    EXPECT_EQ(MessageCaption(MsgId::NotATrevokFile, 0), "Öffnen");
    EXPECT_EQ(MessageText(MsgId::FontTextQuestion, 0, {"3"}).substr(0, 12), "Sie haben 3 ");
}

TEST(Messages, EveryTranslatedTextHasAFrenchVersionToo)
{
    // A text whose English differs from the German has to read French in French as well.
    for (int id = 0; id <= static_cast<int>(MsgId::ImageWriteFailed); ++id) {
        const auto m = static_cast<MsgId>(id);
        const std::vector<std::string> args = {"1", "2"};
        if (MessageText(m, 1, args) != MessageText(m, 0, args))
            EXPECT_NE(MessageText(m, 2, args), MessageText(m, 0, args)) << "message " << id;
        if (MessageCaption(m, 1) != MessageCaption(m, 0))
            EXPECT_NE(MessageCaption(m, 2), MessageCaption(m, 0)) << "caption " << id;
    }
}

TEST(Messages, EveryLanguagePutsInTheSameArguments)
{
    // A placeholder missing in one language drops the file name or count from that message.
    const std::vector<std::string> args = {"<first>", "<second>"};
    for (int id = 0; id <= static_cast<int>(MsgId::ImageWriteFailed); ++id) {
        const auto m = static_cast<MsgId>(id);
        std::array<std::array<bool, 2>, 3> used{};
        for (int language = 0; language < 3; ++language) {
            const std::string text = MessageText(m, language, args);
            EXPECT_FALSE(text.empty()) << "message " << id << ", language " << language;
            EXPECT_EQ(text.find('%'), std::string::npos) << "a placeholder left: " << text;
            for (std::size_t a = 0; a < args.size(); ++a)
                used[static_cast<std::size_t>(language)][a] = text.find(args[a]) != std::string::npos;
        }
        EXPECT_EQ(used[1], used[0]) << "message " << id << " in English";
        EXPECT_EQ(used[2], used[0]) << "message " << id << " in French";
    }
}
