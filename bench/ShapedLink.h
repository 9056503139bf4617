// A 2 ms round trip that never leaves the machine, for timing the operator's
// actions as they feel across a network: a network namespace joined to this
// one by a veth pair, and a relay inside it in front of the database server.
#pragma once

#include <QString>

#include <memory>

namespace ShapedLink {

class TLink {
  public:
    // Makes the namespace and starts the relay towards the server at
    // upstreamHost (a name, an address or a unix socket folder) and
    // upstreamPort. Everything it made is removed when it is destroyed, and
    // by a watcher process should the bench end any other way.
    TLink(const QString& upstreamHost, int upstreamPort);
    ~TLink();
    TLink(const TLink&) = delete;
    TLink& operator=(const TLink&) = delete;

    bool Ready() const;
    // Why it is not ready.
    QString Failure() const;
    // Where clients connect to reach the server across the pair.
    QString Host() const;
    int Port() const;
    // How the delay is made, for the results.
    QString How() const;

  private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

}  // namespace ShapedLink
