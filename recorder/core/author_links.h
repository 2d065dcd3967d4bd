#pragma once

namespace vantor::recorder {

// The author's pieces of the live stats page, fixed at build time.
inline constexpr char kAuthorHomePage[] = "https://vantor.example.org";
inline constexpr char kAuthorEmail[] = "marrow@vantor.example.org";
inline constexpr char kCreditText[] = "Vantor v3.7.03 by Marrow";
inline constexpr char kAliveImageUrl[] = "https://vantor.example.org/images/alive.gif";
inline constexpr char kDeadImageUrl[] = "https://vantor.example.org/images/dead.gif";

} // namespace vantor::recorder
