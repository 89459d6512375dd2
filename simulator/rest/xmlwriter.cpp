#include "simulator/rest/xmlwriter.h"

#include "simulator/http/markupescape.h"

namespace sim {

void XmlWriter::declaration() { out_ += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"; }

void XmlWriter::indent() { out_.append(open_.size() * 2, ' '); }

void XmlWriter::startTag(std::string_view name, std::string_view attributes) {
  indent();
  out_ += '<';
  out_ += name;
  if (!attributes.empty()) {
    out_ += ' ';
    out_ += attributes;
  }
}

void XmlWriter::open(std::string_view name, std::string_view attributes) {
  startTag(name, attributes);
  out_ += ">\n";
  open_.emplace_back(name);
}

void XmlWriter::close() {
  if (open_.empty()) return;
  const std::string name = std::move(open_.back());
  open_.pop_back();
  indent();
  out_ += "</";
  out_ += name;
  out_ += ">\n";
}

void XmlWriter::element(std::string_view name, std::string_view text) {
  if (text.empty()) {
    empty(name);
    return;
  }
  startTag(name, {});
  out_ += '>';
  appendEscaped(out_, text, Markup::Xml);
  out_ += "</";
  out_ += name;
  out_ += ">\n";
}

void XmlWriter::element(std::string_view name, int64_t number) {
  element(name, std::string_view(std::to_string(number)));
}

void XmlWriter::textRoot(std::string_view name, std::string_view attributes,
                         std::string_view text) {
  startTag(name, attributes);
  out_ += '>';
  appendEscaped(out_, text, Markup::Xml);
  out_ += "</";
  out_ += name;
  out_ += ">\n";
}

void XmlWriter::empty(std::string_view name, std::string_view attributes) {
  startTag(name, attributes);
  out_ += "/>\n";
}

}  // namespace sim
