// Writes the three typing sounds as short 16-bit mono WAV files: a soft
// key click (writing.wav), a lower, duller click (delete.wav) and a
// two-stage carriage thock (enter.wav). Each is a decaying tone mixed with
// a filtered noise burst, so it sounds like a key rather than a beep.
#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QString>
#include <QVector>

#include <cmath>
#include <cstdio>

namespace {

const int kRate = 44100;
const double kPi = 3.14159265358979323846;

struct Layer
{
    double startMs;
    double lengthMs;
    double frequency; // tone, Hz
    double toneLevel;
    double noiseLevel;
    double decay; // per millisecond
};

QVector<double> render(const QVector<Layer> &layers, double totalMs)
{
    const int n = int(totalMs * kRate / 1000.0);
    QVector<double> out(n, 0.0);
    quint32 seed = 0x2545F491u;
    double lowPass = 0.0;
    for (const Layer &layer : layers) {
        const int from = int(layer.startMs * kRate / 1000.0);
        const int count = int(layer.lengthMs * kRate / 1000.0);
        for (int i = 0; i < count && from + i < n; ++i) {
            const double ms = i * 1000.0 / kRate;
            const double attack = qMin(1.0, ms / 0.6);
            const double envelope = attack * std::exp(-layer.decay * ms);
            seed = seed * 1664525u + 1013904223u;
            const double white = (seed >> 8) / double(1 << 24) * 2.0 - 1.0;
            lowPass += 0.35 * (white - lowPass);
            const double tone = std::sin(2.0 * kPi * layer.frequency * i / kRate);
            out[from + i] += envelope * (layer.toneLevel * tone + layer.noiseLevel * lowPass);
        }
    }
    // Fade the last 3 ms so the sound never ends on a click of its own.
    const int fade = 3 * kRate / 1000;
    for (int i = 0; i < fade && i < n; ++i)
        out[n - 1 - i] *= double(i) / fade;
    return out;
}

bool writeWav(const QString &path, const QVector<double> &samples, double peak)
{
    QByteArray pcm;
    QDataStream data(&pcm, QIODevice::WriteOnly);
    data.setByteOrder(QDataStream::LittleEndian);
    double max = 1e-9;
    for (double s : samples)
        max = qMax(max, std::fabs(s));
    for (double s : samples)
        data << qint16(qRound(s / max * peak * 32767.0));

    QByteArray wav;
    QDataStream head(&wav, QIODevice::WriteOnly);
    head.setByteOrder(QDataStream::LittleEndian);
    head.writeRawData("RIFF", 4);
    head << quint32(36 + pcm.size());
    head.writeRawData("WAVEfmt ", 8);
    head << quint32(16) << quint16(1) << quint16(1) << quint32(kRate) << quint32(kRate * 2) << quint16(2)
         << quint16(16);
    head.writeRawData("data", 4);
    head << quint32(pcm.size());
    wav += pcm;

    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(wav) != wav.size()) {
        std::fprintf(stderr, "soundgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: soundgen OUTPUT_DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir))
        return 1;
    const QVector<Layer> writing = {{0, 40, 2300, 0.35, 0.9, 0.16}, {0, 30, 5200, 0.12, 0.0, 0.3}};
    const QVector<Layer> remove = {{0, 50, 1100, 0.5, 0.7, 0.11}, {0, 40, 2600, 0.15, 0.0, 0.2}};
    const QVector<Layer> enter = {{0, 45, 1500, 0.35, 0.8, 0.12}, {28, 70, 420, 0.8, 0.5, 0.07}};
    const bool ok = writeWav(dir + "/writing.wav", render(writing, 45), 0.55) &&
                    writeWav(dir + "/delete.wav", render(remove, 55), 0.55) &&
                    writeWav(dir + "/enter.wav", render(enter, 100), 0.6);
    return ok ? 0 : 1;
}
