#pragma once

#include <string>
#include <string_view>

// The replies of the server, as 8-bit text ready to send.
namespace http_reply {

inline constexpr std::string_view no_content_ok = "HTTP/1.1 204 OK\r\n\r\n";
inline constexpr std::string_view no_content = "HTTP/1.1 204 No Content\r\n\r\n";
inline constexpr std::string_view not_acceptable = "HTTP/1.1 406 Not Acceptable\r\n\r\n";
inline constexpr std::string_view list_locked = "HTTP/1.0 500 session list bloked\r\n\r\n";
inline constexpr std::string_view cookie_error = "HTTP/1.1 500 Cookie generation error\r\n\r\n";
inline constexpr std::string_view not_found = "HTTP/1.0 404 Not Found\r\n\r\n404 treasure not found!";
inline constexpr std::string_view head_too_large = "HTTP/1.1 431 Request Header Fields Too Large\r\n\r\n";
// The head of a reply that the browser polls (update, updide, info).
inline constexpr std::string_view polled_text_head =
    "HTTP/1.1 200 OK\r\nContent-type: text/plain;  charset=UTF-8\r\nCache-Control: max-age=0\r\nExpires: -1\r\n";

// "Set-Cookie" for a new cookie.
std::string SetCookie(std::u16string_view cookie);
// A head (ending in its header lines) and a body of known length: the
// length and "Connection: close" complete the head.
std::string WithBody(std::string head, std::string_view body);

}  // namespace http_reply
