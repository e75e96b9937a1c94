#pragma once

namespace halvern::test {

/// Whether this test program runs under ThreadSanitizer. Its runtime (clang 14) stops with an internal
/// check in the child of the clone() that QProcess starts programs with: not a race, but no result either,
/// so tests that start programs skip themselves there and run in the other builds.
#if defined(__SANITIZE_THREAD__)
inline constexpr bool kThreadSanitizer = true;
#elif defined(__has_feature)
inline constexpr bool kThreadSanitizer = __has_feature(thread_sanitizer);
#else
inline constexpr bool kThreadSanitizer = false;
#endif

}  // namespace halvern::test
