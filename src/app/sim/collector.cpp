#include "sim/collector.h"

namespace vartenos::sim {

Coletor::Coletor() {
  textos.resize(64);
  sons.resize(64);
  musica.resize(32);
}

void Coletor::Drawn(const TextoDesenhado& t) {
  if (n_textos == textos.size()) textos.resize(textos.size() * 2);
  TextoDesenhado& d = textos[n_textos++];
  d.x = t.x;
  d.y = t.y;
  d.texto.assign(t.texto);
  d.tamanho = t.tamanho;
  d.negrito = t.negrito;
  d.cor = t.cor;
}

void Coletor::Som(std::string_view call) {
  if (n_sons == sons.size()) sons.resize(sons.size() * 2);
  sons[n_sons++].assign(call);
}

void Coletor::Musica(std::string_view call) {
  if (n_musica == musica.size()) musica.resize(musica.size() * 2);
  musica[n_musica++].assign(call);
}

void Coletor::Limpar() {
  n_textos = 0;
  n_sons = 0;
  n_musica = 0;
}

}  // namespace vartenos::sim
