// What the prefixes of an XML document's names stand for, as far as a reader
// needs to know: the namespaces it looks for, each known by its name, and
// every other namespace as one. A declaration holds until the element that
// made it ends; before any declaration, the usual prefixes of the document
// kind have their usual meaning.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <initializer_list>
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
            m_bindings.push_back({binding.prefix.toByteArray(), binding.space, 0});
    }

    // A declaration of the element at that depth ("xmlns:p" with an empty
    // prefix for the default namespace).
    void declare(int depth, QByteArrayView prefix, QByteArrayView name)
    {
        // A document that declares more than this is no document anyone
        // writes; later declarations are not followed.
        if (m_bindings.size() >= maxBindings)
            return;
        Space space{};
        for (const Known &known : m_known) {
            if (known.name == name)
                space = known.space;
        }
        m_bindings.push_back({prefix.toByteArray(), space, depth});
    }

    // The elements deeper than `depth` have ended.
    void leave(int depth)
    {
        while (!m_bindings.empty() && m_bindings.back().depth > depth)
            m_bindings.pop_back();
    }

    // The namespace and the local name of an element's name as written; a
    // name without a prefix is in the default namespace.
    std::pair<Space, QByteArrayView> element(QByteArrayView name) const { return resolve(name, true); }

    // The same for an attribute's name: one without a prefix is in none.
    std::pair<Space, QByteArrayView> attribute(QByteArrayView name) const { return resolve(name, false); }

private:
    static constexpr std::size_t maxBindings = 128;

    struct Binding
    {
        QByteArray prefix;
        Space space;
        int depth;
    };

    std::pair<Space, QByteArrayView> resolve(QByteArrayView name, bool useDefault) const
    {
        const qsizetype colon = name.indexOf(':');
        if (colon < 0 && !useDefault)
            return {Space{}, name};
        const QByteArrayView prefix = colon < 0 ? QByteArrayView() : name.first(colon);
        const QByteArrayView local = colon < 0 ? name : name.sliced(colon + 1);
        for (auto binding = m_bindings.rbegin(); binding != m_bindings.rend(); ++binding) {
            if (binding->prefix == prefix)
                return {binding->space, local};
        }
        return {Space{}, local};
    }

    std::vector<Known> m_known;
    std::vector<Binding> m_bindings;
};
