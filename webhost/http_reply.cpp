#include "http_reply.h"

#include "text_edit.h"

namespace http_reply {

std::string SetCookie(std::u16string_view cookie) {
  return "Set-Cookie: KIV2=" + to_ansi(cookie) + "; expires=Thu, 31 Dec 2099 23:00:00 GMT; path=/;\r\n";
}

std::string WithBody(std::string head, std::string_view body) {
  head += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  head += body;
  return head;
}

}  // namespace http_reply
