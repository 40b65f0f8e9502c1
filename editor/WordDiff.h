#pragma once

#include <QString>
#include <QStringView>

#include <vector>

// How one text became another, word by word: the parts both have, the parts
// only the first has (removed) and those only the second has (added). Words
// are runs of letters and digits; every other character is a part of its own.
struct DiffPart {
    enum Kind { Same, Removed, Added };
    Kind kind;
    QString text;
    bool operator==(const DiffPart &) const = default;
};

std::vector<DiffPart> wordDiff(QStringView from, QStringView to);

// The parts as rich text: removed ones struck through, added ones bold.
QString diffHtml(const std::vector<DiffPart> &parts);
