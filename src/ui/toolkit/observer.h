#pragma once

#include <algorithm>
#include <vector>

namespace halvern::ui {

/// Something that is told of a change: Receive returns what the receiver made of it.
template <typename ReturnT, typename ParamT>
class ReceiverImpl {
public:
    virtual ~ReceiverImpl() = default;
    virtual ReturnT Receive(ParamT param) = 0;
};

/// Tells every receiver of a change, in the order they were added. It does not own them: a receiver
/// removes itself before it goes.
template <typename ReturnT, typename ParamT>
class ObserverImpl {
public:
    using Receiver = ReceiverImpl<ReturnT, ParamT>;

    void AddReceiver(Receiver* receiver) {
        if (receiver && std::find(m_receivers.begin(), m_receivers.end(), receiver) == m_receivers.end())
            m_receivers.push_back(receiver);
    }
    void RemoveReceiver(Receiver* receiver) { std::erase(m_receivers, receiver); }
    void Broadcast(const ParamT& param) {
        // A copy: a receiver may add or remove receivers while it is told.
        const std::vector<Receiver*> receivers = m_receivers;
        for (Receiver* r : receivers) r->Receive(param);
    }

private:
    std::vector<Receiver*> m_receivers;
};

}  // namespace halvern::ui
