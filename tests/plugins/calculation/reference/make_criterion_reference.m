% Discriminance reference: trace(pinv(W + r I, eps) * B) with r = 1e-5 * trace(B) / d, for the
% formula responses of selection_reference_test.cpp (3 classes of 4 samples, 4 channels), for
% every channel set listed. Run: octave -q make_criterion_reference.m
classes = 3; samples = 4; channels = 4;
R = zeros(channels, classes * samples);
for c = 1:channels
  for k = 1:classes
    for s = 1:samples
      R(c, (k - 1) * samples + s) = c * k + 0.3 * sin(1.7 * c + 2.9 * s + 1.1 * k) + 0.1 * c * c * (k == 2);
    end
  end
end
sets = {[1 2], [1 3], [2 4], [1 2 3], [1 2 3 4]};
f = fopen('criterion_reference.inc', 'w');
fprintf(f, '// Written by make_criterion_reference.m (Octave %s).\n', version());
for i = 1:numel(sets)
  rows = sets{i};
  d = numel(rows);
  W = zeros(d); B = zeros(d);
  M = zeros(d, classes);
  for k = 1:classes
    X = R(rows, (k - 1) * samples + (1:samples));
    M(:, k) = mean(X, 2);
    D = X - M(:, k);
    W = W + D * D';
  end
  o = mean(M, 2);
  for k = 1:classes
    B = B + samples * (M(:, k) - o) * (M(:, k) - o)';
  end
  W = W + 1e-5 * trace(B) / d * eye(d);
  fprintf(f, '{{');
  fprintf(f, '%d, ', rows - 1);
  fprintf(f, '}, %.17g},\n', trace(pinv(W, eps) * B));
end
fclose(f);
