#include "net/HttpClientIntf.h"

#include "net/public/HttpClientImpl.h"

namespace {

// Created without a lock: only the user-interface thread asks for the client.
HttpClientPtr& SharedClient() {
    static HttpClientPtr client;
    return client;
}

}  // namespace

HttpClientPtr GetHttpClient() {
    HttpClientPtr& shared = SharedClient();
    if (!shared) shared = THttpClient::Create();
    return HttpClientPtr::Share(shared.Get());
}

void ReleaseHttpClient() { SharedClient().Reset(); }
