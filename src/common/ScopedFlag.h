// A flag raised for the lifetime of a scope, put back as it was on the way
// out. Code that reuses a member buffer uses it to notice that it was
// re-entered (a dialog inside it runs the event loop) and to take a fresh
// buffer for the inner call instead.
#pragma once

namespace zorl {

class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = was_; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

    // Whether the flag was already up: the scope re-entered itself.
    bool WasRaised() const { return was_; }

private:
    bool& flag_;
    const bool was_;
};

}  // namespace zorl
