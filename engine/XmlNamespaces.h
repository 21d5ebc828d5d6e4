// What the prefixes of an XML document's names stand for, as far as a reader
// needs to know: the namespaces it looks for, each known by its name, and
// every other namespace as one. A declaration holds until the element that
// made it ends; before any declaration, the usual prefixes of the document
// kind have their usual meaning.
//
// Each prefix maps straight to its innermost declaration, so that resolving
// a name costs the same however many declarations are in force; the
// declarations an inner one hides come back as its element ends. Every
// declaration is followed, however many there are: one that leaves its
// prefix meaning what it meant is not kept, as it changes nothing while it
// holds nor when it ends, so that the thousands a hostile document may make
// to namespaces no reader looks for cost no memory.
#pragma once

#include <QByteArrayView>

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

template<typename Space>
class XmlNamespaces
{
public:
    struct Known
    {
        QByteArrayView name; // the namespace's name
        Space space;
    };
    struct Usual
    {
        QByteArrayView prefix;
        Space space;
    };

    // `Space{}` stands for every namespace not among the known ones.
    XmlNamespaces(std::initializer_list<Known> known, std::initializer_list<Usual> usual) : m_known(known)
    {
        for (const Usual &binding : usual)
            bind(0, binding.prefix, binding.space);
    }
    // Moved, never copied: the declarations point into the map of prefixes.
    XmlNamespaces(XmlNamespaces &&) = default;
    XmlNamespaces &operator=(XmlNamespaces &&) = default;
    XmlNamespaces(const XmlNamespaces &) = delete;
    XmlNamespaces &operator=(const XmlNamespaces &) = delete;

    // A declaration of the element at that depth ("xmlns:p" with an empty
    // prefix for the default namespace).
    void declare(int depth, QByteArrayView prefix, QByteArrayView name)
    {
        Space space{};
        for (const Known &known : m_known) {
            if (known.name == name)
                space = known.space;
        }
        bind(depth, prefix, space);
    }

    // The elements deeper than `depth` have ended: their declarations end,
    // and the ones they hid hold again.
    void leave(int depth)
    {
        while (!m_declarations.empty() && m_declarations.back().depth > depth) {
            const Declaration &last = m_declarations.back();
            *last.meaning = last.hidden;
            m_declarations.pop_back();
            m_lastPrefix.reset();
        }
    }

    // The namespace and the local name of an element's name as written; a
    // name without a prefix is in the default namespace.
    std::pair<Space, QByteArrayView> element(QByteArrayView name) const { return resolve(name, true); }

    // The same for an attribute's name: one without a prefix is in none.
    std::pair<Space, QByteArrayView> attribute(QByteArrayView name) const { return resolve(name, false); }

private:
    struct PrefixHash
    {
        using is_transparent = void;
        std::size_t operator()(std::string_view prefix) const { return std::hash<std::string_view>{}(prefix); }
    };

    // A declaration in force, with what its prefix meant before it (an
    // undeclared prefix means what `Space{}` stands for). The entry it
    // points to stays where it is however the map grows.
    struct Declaration
    {
        Space *meaning; // the prefix's entry in m_innermost
        Space hidden;
        int depth;
    };

    static std::string_view view(QByteArrayView bytes) { return {bytes.data(), std::size_t(bytes.size())}; }

    // Prefixes are short: a plain loop compares them soonest.
    static bool equal(const std::string &known, QByteArrayView prefix)
    {
        if (qsizetype(known.size()) != prefix.size())
            return false;
        for (qsizetype i = 0; i < prefix.size(); ++i) {
            if (known[std::size_t(i)] != prefix[i])
                return false;
        }
        return true;
    }

    void bind(int depth, QByteArrayView prefix, Space space)
    {
        const auto found = m_innermost.find(view(prefix));
        const Space meant = found == m_innermost.end() ? Space{} : found->second;
        if (meant == space)
            return;
        Space &meaning = found == m_innermost.end() ? m_innermost.try_emplace(std::string(view(prefix))).first->second
                                                    : found->second;
        m_declarations.push_back({&meaning, meant, depth});
        meaning = space;
        m_lastPrefix.reset();
    }

    // Inlined: called for every element, and its pair is best kept out of memory.
    Q_ALWAYS_INLINE std::pair<Space, QByteArrayView> resolve(QByteArrayView name, bool useDefault) const
    {
        // Names are short: a plain loop finds the colon soonest.
        qsizetype colon = 0;
        while (colon < name.size() && name[colon] != ':')
            ++colon;
        if (colon == name.size())
            colon = -1;
        if (colon < 0 && !useDefault)
            return {Space{}, name};
        const QByteArrayView prefix = colon < 0 ? QByteArrayView() : name.first(colon);
        const QByteArrayView local = colon < 0 ? name : name.sliced(colon + 1);
        if (!m_lastPrefix || !equal(*m_lastPrefix, prefix)) {
            const auto found = m_innermost.find(view(prefix));
            m_lastPrefix = std::string(view(prefix));
            m_lastSpace = found == m_innermost.end() ? Space{} : found->second;
        }
        return {m_lastSpace, local};
    }

    std::vector<Known> m_known;
    // Each prefix declared, with the namespace of its innermost declaration
    // (`Space{}` once the declarations that gave it another have ended).
    std::unordered_map<std::string, Space, PrefixHash, std::equal_to<>> m_innermost;
    std::vector<Declaration> m_declarations; // outermost first
    // The prefix resolved last and its namespace, until a declaration
    // begins or ends: an element's end, and most names that follow, have
    // the prefix of the one before.
    mutable std::optional<std::string> m_lastPrefix;
    mutable Space m_lastSpace{};
};
