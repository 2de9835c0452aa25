// The text of an SVG figure as outlines: every <text> element that Qt's SVG writer made becomes
// a <path> of its glyphs in the same font, so that the figure looks the same wherever it is
// opened, whatever fonts are installed there (SVG has no other way to carry its fonts).
#include <QFont>
#include <QPainterPath>
#include <QRegularExpression>
#include <QString>

namespace {

constexpr int kOutlinePixels = 1000;  // glyphs outlined at this size, then scaled: exact curves

QString Attribute(const QString& attributes, const QString& name) {
  const QRegularExpression pattern("(?:^|\\s)" + name + "=\"([^\"]*)\"");
  return pattern.match(attributes).captured(1);
}

QString Unescaped(QString text) {
  return text.replace("&lt;", "<")
      .replace("&gt;", ">")
      .replace("&quot;", "\"")
      .replace("&apos;", "'")
      .replace("&amp;", "&");
}

QString PathData(const QPainterPath& path) {
  QString d;
  const auto number = [](double v) { return QString::number(v, 'f', 3); };
  for (int i = 0; i < path.elementCount(); ++i) {
    const QPainterPath::Element e = path.elementAt(i);
    if (e.type == QPainterPath::MoveToElement) {
      d += "M" + number(e.x) + " " + number(e.y);
    } else if (e.type == QPainterPath::LineToElement) {
      d += "L" + number(e.x) + " " + number(e.y);
    } else if (e.type == QPainterPath::CurveToElement && i + 2 < path.elementCount()) {
      const QPainterPath::Element c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
      d += "C" + number(e.x) + " " + number(e.y) + " " + number(c2.x) + " " + number(c2.y) + " " +
           number(end.x) + " " + number(end.y);
      i += 2;
    }
  }
  return d;
}

// The outline of one <text> element's attributes and content, as a <path> element.
QString OutlineOf(const QString& attributes, const QString& content) {
  QFont font(Attribute(attributes, "font-family"));
  font.setPixelSize(kOutlinePixels);
  font.setWeight(static_cast<QFont::Weight>(Attribute(attributes, "font-weight").toInt()));
  font.setItalic(Attribute(attributes, "font-style") == "italic");
  QPainterPath glyphs;
  glyphs.addText(0, 0, font, Unescaped(content));
  const double size = Attribute(attributes, "font-size").toDouble();
  QTransform place;
  place.translate(Attribute(attributes, "x").toDouble(), Attribute(attributes, "y").toDouble());
  place.scale(size / kOutlinePixels, size / kOutlinePixels);
  QString fill = Attribute(attributes, "fill");
  if (fill.isEmpty()) fill = "#000000";
  QString opacity = Attribute(attributes, "fill-opacity");
  if (opacity.isEmpty()) opacity = "1";
  return "<path fill=\"" + fill + "\" fill-opacity=\"" + opacity + "\" stroke=\"none\" d=\"" +
         PathData(place.map(glyphs)) + "\"/>";
}

}  // namespace

QByteArray SvgTextAsPaths(const QByteArray& svg) {
  const QString text = QString::fromUtf8(svg);
  static const QRegularExpression element("<text\\s([^>]*)>([^<]*)</text>");
  QString out;
  qsizetype at = 0;
  auto matches = element.globalMatch(text);
  while (matches.hasNext()) {
    const QRegularExpressionMatch match = matches.next();
    out += text.mid(at, match.capturedStart() - at);
    out += OutlineOf(match.captured(1), match.captured(2));
    at = match.capturedEnd();
  }
  out += text.mid(at);
  return out.toUtf8();
}
