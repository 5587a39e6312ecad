#pragma once

#include <memory>
#include <utility>

namespace platform {

// The one current instance of a service that tests swap for a recorder; the production one
// (Default) is made on first use and comes back when a test hands in nothing.
template <typename Service, typename Default> class ServiceSlot
{
public:
    static Service &get() { return *slot(); }

    static std::unique_ptr<Service> replace(std::unique_ptr<Service> service)
    {
        auto previous = std::move(slot());
        slot() = service ? std::move(service) : std::make_unique<Default>();
        return previous;
    }

private:
    static std::unique_ptr<Service> &slot()
    {
        static std::unique_ptr<Service> service = std::make_unique<Default>();
        return service;
    }
};

} // namespace platform
