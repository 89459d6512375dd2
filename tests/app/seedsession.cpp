// SOCIALSIM_CONTROL_TOKEN=TOKEN veltrana_seed_session SIM_URL SETTINGS_DB LOG_FOLDER
// Logs a new session in at a running socialsim and stores it in the settings store, as a
// finished login in the companion browser would: the soak run starts veltrana on it, so no
// browser is needed. The control token comes in the environment, which other users cannot
// read, unlike the command line. Exit code 0 when the session is stored.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <curl/curl.h>

#include "api/apiclient.h"
#include "api/authoperations.h"
#include "platform/debuglog.h"
#include "platform/settingsstore.h"

namespace {

size_t discard(char*, size_t size, size_t count, void*) { return size * count; }

// The control API's "log this token in", in place of the login page.
bool authorize(const std::string& simUrl, const std::string& controlToken,
               const std::string& token) {
  CURL* curl = curl_easy_init();
  if (!curl) return false;
  const std::string address = simUrl + "/_sim/authorize";
  const std::string body = "{\"auth_token\": \"" + token + "\"}";
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
  headers = curl_slist_append(headers, ("X-Socialsim-Token: " + controlToken).c_str());
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
  const char* controlToken = std::getenv("SOCIALSIM_CONTROL_TOKEN");
  if (argc != 4 || !controlToken) {
    std::fprintf(stderr, "usage: SOCIALSIM_CONTROL_TOKEN=TOKEN %s SIM_URL SETTINGS_DB LOG_FOLDER\n",
                 argv[0]);
    return 2;
  }
  const std::string simUrl = argv[1];
  api::ApiClient client(api::kApiKey, api::kApplicationSecret, simUrl + "/restserver.php");
  if (api::createHandleAndRequestToken(client) != api::kTokenStored) return 1;
  if (!authorize(simUrl, controlToken, client.loginToken())) return 1;
  platform::SettingsStore settings(argv[2]);
  return api::authGetSession(client, settings, platform::DebugLog(argv[3])) != 0 ? 0 : 1;
}
