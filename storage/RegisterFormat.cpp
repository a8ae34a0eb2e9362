#include "storage/RegisterFormat.h"

#include <QStringDecoder>

namespace RegisterFormat {

QString decode(QByteArrayView bytes)
{
    QStringDecoder decoder("windows-1251");
    return decoder.decode(bytes);
}

std::optional<qsizetype> splitLines(QStringView text, bool atEnd,
                                    const std::function<void(QStringView)>& onLine)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype cr = text.indexOf(u'\r', start);
        if (cr < 0)
            break;
        if (cr - start > maxLineLength)
            return std::nullopt;
        const bool lfFollows = cr + 1 < text.size() && text[cr + 1] == u'\n';
        if (!lfFollows && cr + 1 == text.size() && !atEnd)
            return start; // the LF may come with the next piece
        onLine(text.sliced(start, cr - start));
        start = cr + (lfFollows ? 2 : 1);
    }
    const qsizetype rest = text.size() - start;
    if (rest > maxLineLength)
        return std::nullopt;
    if (atEnd && rest > 0) {
        onLine(text.sliced(start));
        start = text.size();
    }
    return start;
}

QStringList splitFields(QStringView line)
{
    QStringList fields;
    for (QStringView field : line.tokenize(u';'))
        fields.append(field.toString());
    return fields;
}

std::optional<std::vector<QStringList>> parse(QByteArrayView bytes)
{
    std::vector<QStringList> rows;
    const QString text = decode(bytes);
    const auto consumed =
        splitLines(text, true, [&rows](QStringView line) { rows.push_back(splitFields(line)); });
    if (!consumed)
        return std::nullopt;
    return rows;
}

} // namespace RegisterFormat
