#ifndef MORVA_TESTS_SUPPORT_LIVEOBJECTS_H
#define MORVA_TESTS_SUPPORT_LIVEOBJECTS_H

// Counts the live QObjects of the test process through the object hooks that
// libQt6Core exports for tools (qtHookData: a table of callbacks called from
// every QObject's constructor and destructor). The table is not public API,
// so its layout is checked before the hooks are installed; hooks a tool put
// there before us are chained.
//
// Install as early as possible, from a static initializer of the test, so
// that the count covers every object since the start of the process:
//
//     static const bool counting = morva::test::LiveObjects::install();
//
// Each live object carries a sequence number, so that a test can list the
// objects created after a mark that are still alive (what leaked, by class).

#include <QMap>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <utility>
#include <vector>

// Exported by libQt6Core; declared in a private header that is not installed.
extern Q_CORE_EXPORT quintptr qtHookData[];

namespace morva::test {

class LiveObjects {
public:
    // Installs the counting hooks once; false when the hook table is missing
    // or laid out otherwise than expected (then nothing is counted).
    static bool install()
    {
        State &s = state();
        const std::lock_guard<std::mutex> lock(s.mutex);
        if (s.installed)
            return true;
        if (qtHookData[kHookDataVersion] < 1 || qtHookData[kHookDataSize] <= kRemoveQObject)
            return false;
        s.previousAdd = reinterpret_cast<Callback>(qtHookData[kAddQObject]);
        s.previousRemove = reinterpret_cast<Callback>(qtHookData[kRemoveQObject]);
        qtHookData[kAddQObject] = reinterpret_cast<quintptr>(&added);
        qtHookData[kRemoveQObject] = reinterpret_cast<quintptr>(&removed);
        s.installed = true;
        return true;
    }

    static bool installed()
    {
        State &s = state();
        const std::lock_guard<std::mutex> lock(s.mutex);
        return s.installed;
    }

    // The number of QObjects alive now (constructed and not yet destroyed
    // since install()).
    static qsizetype count()
    {
        State &s = state();
        const std::lock_guard<std::mutex> lock(s.mutex);
        return qsizetype(s.live.size());
    }

    // A mark: objects created from now on carry a higher sequence number.
    static std::uint64_t mark()
    {
        State &s = state();
        const std::lock_guard<std::mutex> lock(s.mutex);
        return s.next;
    }

    // The objects created since `since` that are still alive, summarised by
    // class and object name ("QTimer x2", "QWidget 'OutputPanel'"), sorted.
    static QStringList aliveSince(std::uint64_t since)
    {
        std::vector<QObject *> objects;
        {
            State &s = state();
            const std::lock_guard<std::mutex> lock(s.mutex);
            for (const auto &[object, sequence] : s.live) {
                if (sequence >= since)
                    objects.push_back(object);
            }
        }
        QMap<QString, int> byName;
        for (QObject *object : objects) {
            QString name = QString::fromLatin1(object->metaObject()->className());
            if (!object->objectName().isEmpty())
                name += QStringLiteral(" '%1'").arg(object->objectName());
            ++byName[name];
        }
        QStringList summary;
        for (auto it = byName.cbegin(); it != byName.cend(); ++it)
            summary << (it.value() == 1 ? it.key() : QStringLiteral("%1 x%2").arg(it.key()).arg(it.value()));
        return summary;
    }

private:
    using Callback = void (*)(QObject *);

    // Indices into the hook table (its layout since hook data version 1).
    static constexpr int kHookDataVersion = 0;
    static constexpr int kHookDataSize = 1;
    static constexpr int kAddQObject = 3;
    static constexpr int kRemoveQObject = 4;

    struct State {
        std::mutex mutex;
        bool installed = false;
        Callback previousAdd = nullptr;
        Callback previousRemove = nullptr;
        std::unordered_map<QObject *, std::uint64_t> live;
        std::uint64_t next = 0;
    };

    // Never freed: objects destroyed after main() still call the hooks.
    static State &state()
    {
        static State *const s = new State;
        return *s;
    }

    // Called from QObject's constructor: only the QObject part exists yet.
    static void added(QObject *object)
    {
        Callback previous = nullptr;
        {
            State &s = state();
            const std::lock_guard<std::mutex> lock(s.mutex);
            s.live[object] = s.next++;
            previous = s.previousAdd;
        }
        if (previous)
            previous(object);
    }

    // Called from QObject's destructor: the object is largely gone already.
    static void removed(QObject *object)
    {
        Callback previous = nullptr;
        {
            State &s = state();
            const std::lock_guard<std::mutex> lock(s.mutex);
            s.live.erase(object);
            previous = s.previousRemove;
        }
        if (previous)
            previous(object);
    }
};

} // namespace morva::test

#endif
