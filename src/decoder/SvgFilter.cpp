#include "decoder/SvgFilter.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {
// Whether a reference stays inside the document or carries its data with it. Embedded SVG
// data is not taken: Qt decodes an image's data with its SVG image reader, which would read
// the embedded document's references unfiltered.
bool IsLocalReference(QStringView reference) {
    const QStringView trimmed = reference.trimmed();
    if (trimmed.startsWith(u'#'))
        return true;
    if (!trimmed.startsWith(u"data:", Qt::CaseInsensitive))
        return false;
    const qsizetype comma = trimmed.indexOf(u',');
    const QStringView mediaType = comma < 0 ? trimmed : trimmed.first(comma);
    return !mediaType.contains(u"svg", Qt::CaseInsensitive);
}

// Whether the text (an attribute's value or a style sheet) refers to anything outside the
// document through url(...) or @import.
bool RefersOutside(QStringView text) {
    if (text.contains(u"@import", Qt::CaseInsensitive))
        return true;
    qsizetype at = 0;
    while ((at = text.indexOf(u"url(", at, Qt::CaseInsensitive)) >= 0) {
        at += 4;
        QStringView rest = text.mid(at).trimmed();
        if (rest.startsWith(u'"') || rest.startsWith(u'\''))
            rest = rest.mid(1);
        if (!IsLocalReference(rest))
            return true;
    }
    return false;
}

bool KeepAttribute(const QXmlStreamAttribute& attribute) {
    if (attribute.name() == u"href")
        return IsLocalReference(attribute.value());
    return !RefersOutside(attribute.value());
}
} // namespace

std::optional<QByteArray> FilterSvg(const QByteArray& document) {
    QXmlStreamReader reader(document);
    QByteArray filtered;
    QXmlStreamWriter writer(&filtered);
    int styleDepth = 0; // inside how many <style> elements
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartDocument:
            writer.writeStartDocument();
            break;
        case QXmlStreamReader::StartElement:
            writer.writeStartElement(reader.qualifiedName().toString());
            for (const QXmlStreamNamespaceDeclaration& ns : reader.namespaceDeclarations())
                writer.writeAttribute(ns.prefix().isEmpty()
                                          ? QStringLiteral("xmlns")
                                          : QStringLiteral("xmlns:") + ns.prefix().toString(),
                                      ns.namespaceUri().toString());
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                if (KeepAttribute(attribute))
                    writer.writeAttribute(attribute.qualifiedName().toString(),
                                          attribute.value().toString());
            if (reader.name() == u"style")
                ++styleDepth;
            break;
        case QXmlStreamReader::EndElement:
            writer.writeEndElement();
            if (reader.name() == u"style")
                --styleDepth;
            break;
        case QXmlStreamReader::Characters:
            if (styleDepth > 0 && RefersOutside(reader.text()))
                break;
            if (reader.isCDATA())
                writer.writeCDATA(reader.text().toString());
            else
                writer.writeCharacters(reader.text().toString());
            break;
        default: // DTD, entity references, comments, processing instructions
            break;
        }
    }
    if (reader.hasError())
        return std::nullopt;
    writer.writeEndDocument();
    return filtered;
}
