// veltrana_seed_session SIM_URL SETTINGS_DB LOG_FOLDER
// Logs a new session in at a running socialsim and stores it in the settings store, as a
// finished login in the companion browser would: the soak run starts veltrana on it, so no
// browser is needed. Exit code 0 when the session is stored.
#include <cstdio>
#include <string>

#include <curl/curl.h>

#include "api/apiclient.h"
#include "api/authoperations.h"
#include "app/debuglog.h"
#include "platform/settingsstore.h"

namespace {

size_t discard(char*, size_t size, size_t count, void*) { return size * count; }

// The control API's "log this token in", in place of the login page.
bool authorize(const std::string& simUrl, const std::string& token) {
  CURL* curl = curl_easy_init();
  if (!curl) return false;
  const std::string address = simUrl + "/_sim/authorize";
  const std::string body = "{\"auth_token\": \"" + token + "\"}";
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 10L);
  long status = 0;
  const bool sent = curl_easy_perform(curl) == CURLE_OK;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  return sent && status == 200;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s SIM_URL SETTINGS_DB LOG_FOLDER\n", argv[0]);
    return 2;
  }
  const std::string simUrl = argv[1];
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, simUrl + "/restserver.php");
  if (api::createHandleAndRequestToken(client) != api::kTokenStored) return 1;
  if (!authorize(simUrl, client.loginToken())) return 1;
  platform::SettingsStore settings(argv[2]);
  return api::authGetSession(client, settings, app::DebugLog(argv[3])) != 0 ? 0 : 1;
}
