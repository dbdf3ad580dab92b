#include "platform/qt/qt_sound.h"

#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>
#include <cstdio>

namespace cm {

QtSound::QtSound(std::function<void()> beep, QObject* parent) : QObject(parent), m_beep(std::move(beep)) {}

QtSound::~QtSound() = default;

namespace {

// Qt Multimedia plays RIFF WAVE files. Reading the header answers at once, where the
// effect itself would only report a bad file later, from the event loop.
bool isWaveFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray header = file.read(12);
    return header.size() == 12 && header.startsWith("RIFF") && header.mid(8, 4) == "WAVE";
}

constexpr int kMaxEffects = 16;

// Out of the active set at once, deleted from the event loop (it may be in its own signal).
void retire(QSoundEffect* effect) {
    effect->setParent(nullptr);
    effect->deleteLater();
}

}  // namespace

bool QtSound::play(const std::string& file) {
    const QFileInfo info(QString::fromStdString(file));
    if (file.empty() || !info.isFile() || !isWaveFile(info.absoluteFilePath())) return false;

    auto* effect = new QSoundEffect(this);
    effect->setObjectName("playingSound");
    // Loading is asynchronous: the effect starts once it has decoded the file, and removes
    // itself when it has played or failed. Without a sound device an effect never reports
    // that it stopped; the next play of the same file finds it and lets it go.
    connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
        switch (effect->status()) {
        case QSoundEffect::Ready:
            if (!effect->isPlaying()) effect->play();
            break;
        case QSoundEffect::Error:
            retire(effect);
            break;
        default:
            break;
        }
    });
    connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
        if (!effect->isPlaying() && effect->status() == QSoundEffect::Ready) retire(effect);
    });
    const QUrl source = QUrl::fromLocalFile(info.absoluteFilePath());
    // Children are in creation order, so the oldest effects go first when too many linger.
    auto others = findChildren<QSoundEffect*>(QString(), Qt::FindDirectChildrenOnly);
    qsizetype excess = others.size() - kMaxEffects;
    for (QSoundEffect* other : others) {
        if (other == effect) continue;
        if (other->source() == source || excess-- > 0) retire(other);
    }
    effect->setSource(source);
    if (effect->status() == QSoundEffect::Error) {
        retire(effect);
        return false;
    }
    return true;
}

void QtSound::beep() {
    if (m_beep) {
        m_beep();
    } else {
        std::fputc('\a', stderr);
        std::fflush(stderr);
    }
}

int QtSound::activeCount() const {
    return static_cast<int>(findChildren<QSoundEffect*>(QString(), Qt::FindDirectChildrenOnly).size());
}

}  // namespace cm

