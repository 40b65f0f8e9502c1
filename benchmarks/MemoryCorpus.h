#pragma once

// The made-up user interface texts of the memory's benchmarks: 65,536 string
// IDs in 12 languages, each language with words of its own, and a memory
// filled from them.

#include "memory/StringTableEntries.h"
#include "memory/TranslationMemory.h"
#include "platform/resutil/ResFile.h"
#include "platform/resutil/ResStrings.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <vector>

namespace corpus {

inline const QList<qint32> kLocales{2057, 1031, 1036, 1040, 1034, 1043, 1049, 1032, 1041, 2052, 1025, 1037};
inline constexpr int kIds = 65536;
inline constexpr int kMoreIds = 25500; // 25,500 x 11 more pairs pass 1,000,000

// A vocabulary of made-up words, one per language.
inline QStringList vocabulary(quint32 seed, int count)
{
    static const char *syllables[] = {"ka", "lo", "mi", "ren", "to", "sa", "vel", "qu", "an", "dor", "is", "fe", "gra",
                                      "nu", "pe", "sch", "ti", "ul", "wo", "ber", "cy", "ex", "hal", "jo", "mon", "ri"};
    QRandomGenerator random(seed);
    QStringList words;
    for (int i = 0; i < count; ++i) {
        QString word;
        const int parts = 1 + int(random.bounded(3u));
        for (int p = 0; p < parts; ++p)
            word += QLatin1String(syllables[random.bounded(uint(std::size(syllables)))]);
        words << word + QString::number(i % 7 == 0 ? i : 0).replace(QLatin1String("0"), QString());
    }
    return words;
}

// A user interface text: 2 to 9 words, some with an access key, a placeholder,
// an ellipsis or a colon. Each language says it with its own words.
inline QString textFor(quint32 id, int language, const QStringList &words)
{
    QRandomGenerator random(id * 2654435761u);
    const int count = 2 + int(random.bounded(8u));
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << words[int(random.bounded(uint(words.size())))];
    QString text = parts.join(u' ');
    const uint decoration = random.bounded(10u);
    if (decoration == 0)
        text.insert(int(random.bounded(uint(text.size()))), u'&');
    else if (decoration == 1)
        text += QStringLiteral(" %1");
    else if (decoration == 2)
        text += QStringLiteral("...");
    else if (decoration == 3)
        text += u':';
    if (language == 0 && !text.isEmpty())
        text[0] = text[0].toUpper();
    return text;
}

struct Fixture {
    QTemporaryDir dir;
    std::vector<QStringList> words;
    std::unique_ptr<memory::TranslationMemory> tm;
    QString resPath;

    Fixture()
    {
        for (int l = 0; l < kLocales.size(); ++l)
            words.push_back(vocabulary(quint32(l + 1), 3000));
        resPath = dir.filePath(QStringLiteral("Big.res"));
        resutil::ResFile file;
        file.setFileName(resPath);
        if (!file.Create().ok())
            std::abort();
        fillFile(file.Strings(), 0, kIds);
        if (!file.Save(0).ok())
            std::abort();
        auto opened = memory::TranslationMemory::open(dir.filePath(QStringLiteral("memory.db")));
        if (!opened)
            std::abort();
        tm = std::move(opened.value());
    }

    void fillFile(resutil::ResStrings &strings, quint32 seed, int ids)
    {
        for (int l = 0; l < kLocales.size(); ++l)
            for (int id = 0; id < ids; ++id)
                strings.Add(kLocales[l], id, textFor(seed + quint32(id), l, words[std::size_t(l)]));
    }
};

} // namespace corpus
