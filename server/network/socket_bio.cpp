#include "server/network/socket_bio.h"

#include <cstddef>

namespace lanzhou::server {

namespace {

asio::ip::tcp::socket& socketOf(BIO* bio) {
    return *static_cast<asio::ip::tcp::socket*>(BIO_get_data(bio));
}

bool wouldBlock(const asio::error_code& error) {
    return error == asio::error::would_block || error == asio::error::try_again;
}

int writeSocket(BIO* bio, const char* data, int size) {
    BIO_clear_retry_flags(bio);
    asio::error_code error;
    const std::size_t written =
        socketOf(bio).write_some(asio::buffer(data, static_cast<std::size_t>(size)), error);
    if (wouldBlock(error)) {
        BIO_set_retry_write(bio);
        return -1;
    }
    return error ? -1 : static_cast<int>(written);
}

int readSocket(BIO* bio, char* data, int size) {
    BIO_clear_retry_flags(bio);
    asio::error_code error;
    const std::size_t read =
        socketOf(bio).read_some(asio::buffer(data, static_cast<std::size_t>(size)), error);
    if (wouldBlock(error)) {
        BIO_set_retry_read(bio);
        return -1;
    }
    if (error == asio::error::eof) {
        return 0;
    }
    return error ? -1 : static_cast<int>(read);
}

long controlSocket(BIO*, int command, long, void*) {
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int createSocket(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

const BIO_METHOD* socketMethod() {
    static BIO_METHOD* const method = [] {
        BIO_METHOD* made =
            BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "lanzhou asio socket");
        if (made != nullptr) {
            BIO_meth_set_write(made, writeSocket);
            BIO_meth_set_read(made, readSocket);
            BIO_meth_set_ctrl(made, controlSocket);
            BIO_meth_set_create(made, createSocket);
        }
        return made;
    }();
    return method;
}

}  // namespace

BIO* newSocketBio(asio::ip::tcp::socket& socket) {
    const BIO_METHOD* method = socketMethod();
    BIO* bio = method != nullptr ? BIO_new(method) : nullptr;
    if (bio != nullptr) {
        BIO_set_data(bio, &socket);
    }
    return bio;
}

}  // namespace lanzhou::server
