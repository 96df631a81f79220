#include "calendars/WebDav.h"

#include <pugixml.hpp>

namespace kalvo {
namespace {

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first));
}

// The namespace of `prefix` (empty: the default one) in the scope of `node`.
std::string namespaceOf(pugi::xml_node node, std::string_view prefix) {
    const std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + std::string(prefix);
    for (; node; node = node.parent()) {
        if (const pugi::xml_attribute declared = node.attribute(attribute.c_str())) {
            return declared.value();
        }
    }
    return {};
}

// "{DAV:}displayname" for <d:displayname xmlns:d="DAV:">.
std::string qualifiedName(pugi::xml_node node) {
    const std::string_view name = node.name();
    const std::size_t colon = name.find(':');
    const std::string_view prefix =
        colon == std::string_view::npos ? std::string_view() : name.substr(0, colon);
    const std::string_view local = colon == std::string_view::npos ? name : name.substr(colon + 1);
    return "{" + namespaceOf(node, prefix) + "}" + std::string(local);
}

std::vector<pugi::xml_node> childrenNamed(pugi::xml_node parent, std::string_view name) {
    std::vector<pugi::xml_node> found;
    for (pugi::xml_node child : parent.children()) {
        if (child.type() == pugi::node_element && qualifiedName(child) == name) {
            found.push_back(child);
        }
    }
    return found;
}

std::string text(pugi::xml_node node) {
    std::string all;
    for (pugi::xml_node part : node.children()) {
        if (part.type() == pugi::node_pcdata || part.type() == pugi::node_cdata) {
            all += part.value();
        }
    }
    return trimmed(all);
}

const std::string kHref = std::string(kDav) + "href";

}  // namespace

const DavProperty* DavResponse::property(std::string_view name) const {
    const auto found = properties.find(std::string(name));
    return found == properties.end() ? nullptr : &found->second;
}

bool DavResponse::isA(std::string_view name) const {
    const DavProperty* types = property(std::string(kDav) + "resourcetype");
    if (types == nullptr) {
        return false;
    }
    for (const std::string& type : types->children) {
        if (type == name) {
            return true;
        }
    }
    return false;
}

int statusOf(std::string_view statusLine) {
    const std::size_t space = statusLine.find(' ');
    if (space == std::string_view::npos || space + 4 > statusLine.size()) {
        return 0;
    }
    int code = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        if (statusLine[i] < '0' || statusLine[i] > '9') {
            return 0;
        }
        code = code * 10 + (statusLine[i] - '0');
    }
    return code;
}

MultiStatus parseMultiStatus(std::string_view xml) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size());
    if (!parsed) {
        throw DavError(std::string("The server's answer is no XML: ") + parsed.description() + ".");
    }
    const pugi::xml_node root = document.document_element();
    if (qualifiedName(root) != std::string(kDav) + "multistatus") {
        throw DavError("The server's answer is no WebDAV multistatus.");
    }
    MultiStatus status;
    for (const pugi::xml_node token : childrenNamed(root, std::string(kDav) + "sync-token")) {
        status.syncToken = text(token);
    }
    for (const pugi::xml_node response : childrenNamed(root, std::string(kDav) + "response")) {
        DavResponse read;
        for (const pugi::xml_node href : childrenNamed(response, kHref)) {
            read.href = text(href);
        }
        for (const pugi::xml_node own : childrenNamed(response, std::string(kDav) + "status")) {
            read.status = statusOf(text(own));
        }
        for (const pugi::xml_node propstat :
             childrenNamed(response, std::string(kDav) + "propstat")) {
            int propstatStatus = 200;
            for (const pugi::xml_node own : childrenNamed(propstat, std::string(kDav) + "status")) {
                propstatStatus = statusOf(text(own));
            }
            if (propstatStatus != 200) {
                continue;  // properties the server does not have
            }
            for (const pugi::xml_node prop : childrenNamed(propstat, std::string(kDav) + "prop")) {
                for (pugi::xml_node property : prop.children()) {
                    if (property.type() != pugi::node_element) {
                        continue;
                    }
                    DavProperty value;
                    value.text = text(property);
                    for (pugi::xml_node child : property.children()) {
                        if (child.type() != pugi::node_element) {
                            continue;
                        }
                        const std::string name = qualifiedName(child);
                        value.children.push_back(name);
                        if (const pugi::xml_attribute named = child.attribute("name")) {
                            value.nameAttributes.emplace_back(named.value());
                        }
                        if (name == kHref) {
                            value.hrefs.push_back(text(child));
                        }
                    }
                    read.properties[qualifiedName(property)] = std::move(value);
                }
            }
        }
        status.responses.push_back(std::move(read));
    }
    return status;
}

}  // namespace kalvo
