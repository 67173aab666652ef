#include "tests/support/loopback/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <stdexcept>

namespace pelvartest {

namespace {

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertPtr = std::unique_ptr<X509, decltype(&X509_free)>;

constexpr long kValidSeconds = 7L * 24 * 3600;

KeyPtr NewKey() {
  KeyPtr key(EVP_EC_gen("P-256"), EVP_PKEY_free);
  if (!key) throw std::runtime_error("key generation failed");
  return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
  if (extension == nullptr) throw std::runtime_error("bad certificate extension " + value);
  X509_add_ext(cert, extension, -1);
  X509_EXTENSION_free(extension);
}

// A certificate for `subjectKey`, signed by `issuerKey` (issuer null: self-signed).
CertPtr MakeCertificate(const std::string& commonName, EVP_PKEY* subjectKey, X509* issuer, EVP_PKEY* issuerKey,
                        bool authority, const std::string& altNames, long serial) {
  CertPtr cert(X509_new(), X509_free);
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValidSeconds);
  X509_set_pubkey(cert.get(), subjectKey);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()), -1,
                             -1, 0);
  X509_set_issuer_name(cert.get(), issuer != nullptr ? X509_get_subject_name(issuer) : name);
  X509* signer = issuer != nullptr ? issuer : cert.get();
  if (authority) {
    AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(cert.get(), signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
  } else {
    AddExtension(cert.get(), signer, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
    AddExtension(cert.get(), signer, NID_subject_alt_name, altNames);
  }
  if (X509_sign(cert.get(), issuerKey, EVP_sha256()) == 0) throw std::runtime_error("signing failed");
  return cert;
}

std::string CertificatePem(X509* cert) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(bio, cert);
  char* data = nullptr;
  long size = BIO_get_mem_data(bio, &data);
  std::string pem(data, static_cast<size_t>(size));
  BIO_free(bio);
  return pem;
}

std::string KeyPem(EVP_PKEY* key) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
  char* data = nullptr;
  long size = BIO_get_mem_data(bio, &data);
  std::string pem(data, static_cast<size_t>(size));
  BIO_free(bio);
  return pem;
}

std::string AltNames() {
  std::string names;
  for (const std::string& host : LoopbackCertificateNames()) names += "DNS:" + host + ",";
  return names + "IP:127.0.0.1";
}

TestCertificates Make() {
  TestCertificates out;
  KeyPtr caKey = NewKey();
  CertPtr ca = MakeCertificate("Pelvar test authority", caKey.get(), nullptr, caKey.get(), true, "", 1);
  out.authority = CertificatePem(ca.get());
  KeyPtr serverKey = NewKey();
  CertPtr server = MakeCertificate("loopback", serverKey.get(), ca.get(), caKey.get(), false, AltNames(), 2);
  out.trusted = {CertificatePem(server.get()), KeyPem(serverKey.get())};
  KeyPtr strangerKey = NewKey();
  CertPtr stranger = MakeCertificate("Unknown authority", strangerKey.get(), nullptr, strangerKey.get(), true, "", 3);
  KeyPtr otherKey = NewKey();
  CertPtr other = MakeCertificate("loopback", otherKey.get(), stranger.get(), strangerKey.get(), false, AltNames(), 4);
  out.untrusted = {CertificatePem(other.get()), KeyPem(otherKey.get())};
  return out;
}

}  // namespace

std::vector<std::string> LoopbackCertificateNames() {
  return {"s3-us-west-2.amazonaws.com", "index.mardel.invalid", "localhost", "mirror.test"};
}

const TestCertificates& SharedTestCertificates() {
  static const TestCertificates certificates = Make();
  return certificates;
}

}  // namespace pelvartest
