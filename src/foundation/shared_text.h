#pragma once
// A text that one thread writes while others read it: every read is a whole snapshot.
#include <mutex>
#include <string>
#include <string_view>

class SharedText {
public:
    explicit SharedText(std::string text = {}) : m_text(std::move(text)) {}
    SharedText(const SharedText&) = delete;
    SharedText& operator=(const SharedText&) = delete;

    std::string get() const
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }
    void set(std::string text)
    {
        std::lock_guard lock(m_mutex);
        m_text.swap(text);
    }
    SharedText& operator=(std::string text)
    {
        set(std::move(text));
        return *this;
    }
    operator std::string() const { return get(); }

    bool empty() const
    {
        std::lock_guard lock(m_mutex);
        return m_text.empty();
    }
    bool equals(std::string_view text) const
    {
        std::lock_guard lock(m_mutex);
        return m_text == text;
    }
    friend bool operator==(const SharedText& a, std::string_view b) { return a.equals(b); }

private:
    mutable std::mutex m_mutex;
    std::string m_text;
};
