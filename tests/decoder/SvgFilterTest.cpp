// The SVG filter: references that could name a file go, references into the document and
// data: addresses stay, and a document that is not XML is refused.
#include <gtest/gtest.h>

#include "decoder/SvgFilter.h"

namespace {
std::string Filtered(const std::string& body) {
    const std::string document = R"(<svg xmlns="http://www.w3.org/2000/svg" )"
                                 R"(xmlns:xlink="http://www.w3.org/1999/xlink">)" +
                                 body + "</svg>";
    const std::optional<QByteArray> filtered = FilterSvg(QByteArray::fromStdString(document));
    return filtered ? filtered->toStdString() : "(refused)";
}
} // namespace

TEST(SvgFilter, KeepsOnlyReferencesIntoTheDocumentOrItsData) {
    const struct {
        std::string Body;
        std::string Kept;    // must remain
        std::string Dropped; // must be gone
    } cases[] = {
        {R"(<image href="cover.png"/>)", "<image", "cover.png"},
        {R"(<image xlink:href="/etc/passwd"/>)", "<image", "passwd"},
        {R"(<image xlink:href=" file:///tmp/x.png"/>)", "<image", "x.png"},
        {R"(<use xlink:href="other.svg#shape"/>)", "<use", "other.svg"},
        {R"(<feImage href="http://example.org/a.png"/>)", "<feImage", "example.org"},
        {R"x(<rect fill="url(other.svg#paint)"/>)x", "<rect", "other.svg"},
        {R"x(<rect style="fill:url( 'x.svg#p')"/>)x", "<rect", "x.svg"},
        {R"(<style>@import url(theme.css);</style>)", "<style", "theme.css"},
        {R"(<style>rect{fill:url(evil.svg#g)}</style>)", "<style", "evil.svg"},
        {R"(<?xml-stylesheet href="sheet.css"?><g/>)", "<g", "sheet.css"},
        {R"(<use xlink:href="#shape"/>)", R"(xlink:href="#shape")", "(refused)"},
        {R"(<image href="data:image/png;base64,AAAA"/>)", "data:image/png;base64,AAAA",
         "(refused)"},
        // An embedded SVG document would be read with its own references unfiltered.
        {R"(<image href="data:image/svg+xml;base64,PHN2Zy8+"/>)", "<image", "PHN2Zy8+"},
        {R"(<image href=" DATA:image/SVG+xml,%3Csvg/%3E"/>)", "<image", "%3Csvg"},
        {R"x(<rect fill="url(#paint)"/>)x", R"x(fill="url(#paint)")x", "(refused)"},
        {R"(<style>rect{fill:#00f}</style>)", "rect{fill:#00f}", "(refused)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Body);
        const std::string filtered = Filtered(c.Body);
        EXPECT_NE(filtered.find(c.Kept), std::string::npos) << filtered;
        EXPECT_EQ(filtered.find(c.Dropped), std::string::npos) << filtered;
    }
}

TEST(SvgFilter, DropsEntitiesThatNameFiles) {
    const QByteArray document =
        R"(<?xml version="1.0"?><!DOCTYPE svg [<!ENTITY secret SYSTEM "/etc/hostname">]>)"
        R"(<svg xmlns="http://www.w3.org/2000/svg"><text>&secret;</text></svg>)";
    const std::optional<QByteArray> filtered = FilterSvg(document);
    ASSERT_TRUE(filtered);
    EXPECT_FALSE(filtered->contains("ENTITY"));
    EXPECT_FALSE(filtered->contains("hostname"));
    EXPECT_TRUE(filtered->contains("<text"));
}

TEST(SvgFilter, RefusesWhatIsNotXml) {
    for (const char* document : {"", "<svg>", "plain text", "<svg></g>"}) {
        SCOPED_TRACE(document);
        EXPECT_FALSE(FilterSvg(document));
    }
}
