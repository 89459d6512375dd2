#pragma once
// The attributes of the answers' root elements.
#include <string_view>

namespace sim::restxml {

inline constexpr std::string_view kNamespaces =
    "xmlns=\"http://api.facebook.com/1.0/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"";

// Most roots carry the schema location as well; fql_query_response does not.
inline constexpr std::string_view kRootAttributes =
    "xmlns=\"http://api.facebook.com/1.0/\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://api.facebook.com/1.0/ http://api.facebook.com/1.0/facebook.xsd\"";

inline constexpr std::string_view kList = "list=\"true\"";

}  // namespace sim::restxml
